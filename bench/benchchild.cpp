// The measured operations: loading and saving with our core and with the peers,
// sorting and searching with our core, reading and comparing with quillon-ini. Each runs once in a process of
// its own.
#include "benchchild.h"
#include "benchreport.h"

#include "kvfileerror.h"
#include "kvfind.h"
#include "kvmemini.h"
#include "kvsearch.h"
#include "kvsearchoptions.h"
#include "kvtextcodec.h"

#include <QFile>
#include <QSettings>
#include <QStringList>

#include <SimpleIni.h>
#include <ini.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class TStopwatch
{
public:
    double Seconds() const { return std::chrono::duration<double>(Clock::now() - m_start).count(); }

private:
    Clock::time_point m_start = Clock::now();
};

struct TMeasured
{
    double Seconds = 0;
    qint64 Check = 0;
    qint64 PeakKb = 0; // when set, the peak of the process measured rather than this one
    bool Ok = true;
    std::string Note = "-";

    void Fail(std::string note)
    {
        Ok = false;
        Note = std::move(note);
    }
};

std::string Native(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// ---- Decode and encode limits ---------------------------------------------------

QString ReadAndDecode(const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = in.readAll();
    return QString::fromUtf8(bytes);
}

TMeasured DecodeLoad(const QString &file)
{
    TMeasured m;
    TStopwatch watch;
    const QString text = ReadAndDecode(file);
    m.Seconds = watch.Seconds();
    m.Check = text.size();
    if (text.isEmpty())
        m.Fail("unreadable");
    return m;
}

TMeasured EncodeSave(const QString &file, const QString &output)
{
    TMeasured m;
    const QString text = ReadAndDecode(file);
    TStopwatch watch;
    const QByteArray bytes = text.toUtf8();
    QFile out(output);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
        m.Fail("unwritable");
    out.close();
    m.Seconds = watch.Seconds();
    m.Check = bytes.size();
    return m;
}

// ---- Our core -----------------------------------------------------------------

qint64 CountEntries(const TKvMemIni &ini)
{
    const TKvIniCounts counts = ini.CountAll();
    return counts.Values + counts.Comments + counts.Errors + counts.Blanks;
}

// The documents are never freed: the process ends right after the measurement.
TKvMemIni *LoadOurs(const QString &file, TMeasured &m)
{
    auto *ini = new TKvMemIni;
    const int result = ini->LoadFromFile(file);
    if (result < 0)
        m.Fail("read-result-" + std::to_string(result));
    else
        m.Note = "code-page-" + std::to_string(result); // the reader the detection chose
    return ini;
}

TMeasured OursLoad(const QString &file)
{
    TMeasured m;
    TStopwatch watch;
    TKvMemIni *ini = LoadOurs(file, m);
    m.Seconds = watch.Seconds();
    m.Check = CountEntries(*ini);
    return m;
}

TMeasured OursSave(const QString &file, const QString &output, bool throughStream, bool keepLayout = false)
{
    TMeasured m;
    TKvMemIni *ini = LoadOurs(file, m);
    m.Check = CountEntries(*ini);
    ini->KeepLayout = keepLayout;
    TStopwatch watch;
    if (throughStream) {
        // The writer alone: no temporary file, no flush to disk, no rename.
        QFile out(output);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            m.Fail("unwritable");
        else
            ini->SaveToStream(out, KvEncoding::Utf8);
    } else {
        ini->SaveToFile(output, KvEncoding::Utf8);
    }
    m.Seconds = watch.Seconds();
    return m;
}

// Where the time of a load goes: reading the bytes, decoding them with the
// reader the detection picks, parsing the text, one after another through the
// public pieces of the core (LoadFromFile reads a big file in pieces and does
// the three together, a piece at a time). The note carries the three times.
TMeasured OursLoadParts(const QString &file)
{
    TMeasured m;
    TStopwatch total;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        m.Fail("unreadable");
        return m;
    }
    const quint32 encoding = TKvMemIni::DetectEncoding(in);
    in.seek(0);
    QByteArray bytes = in.readAll();
    const double read = total.Seconds();
    QString text =
        encoding == KvEncoding::Utf8 ? KvTextCodec::DecodeUtf8(bytes) : KvTextCodec::DecodeAnsi(bytes);
    bytes = QByteArray();
    const double decoded = total.Seconds();
    auto *ini = new TKvMemIni;
    TrimTextEnd(text);
    const std::optional<qsizetype> stop = ini->Parse(text);
    m.Seconds = total.Seconds();
    m.Check = CountEntries(*ini);
    if (!stop)
        m.Fail("unparsable");
    else
        m.Note = "read=" + std::to_string(read) + ",decode=" + std::to_string(decoded - read)
                 + ",parse=" + std::to_string(m.Seconds - decoded);
    return m;
}

// Where the time of a save goes: building the text, encoding it, writing it
// (SaveToFile adds a temporary file, a flush to disk and a rename).
TMeasured OursSaveParts(const QString &file, const QString &output)
{
    TMeasured m;
    TKvMemIni *ini = LoadOurs(file, m);
    m.Check = CountEntries(*ini);
    TStopwatch total;
    const QString text = ini->GetText();
    const double built = total.Seconds();
    const QByteArray bytes = KvTextCodec::EncodeUtf8(text);
    const double encoded = total.Seconds();
    QFile out(output);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size()) {
        m.Fail("unwritable");
        return m;
    }
    out.close();
    m.Seconds = total.Seconds();
    m.Note = "text=" + std::to_string(built) + ",encode=" + std::to_string(encoded - built)
             + ",write=" + std::to_string(m.Seconds - encoded);
    return m;
}

// The biggest section of the document (the one of the 1,000,000-line file).
TKvIniSection *BiggestSection(const TKvMemIni &ini)
{
    TKvIniSection *biggest = nullptr;
    for (TKvIniSection *section : ini.Sections) {
        if (!biggest || section->Vals.Count() > biggest->Vals.Count())
            biggest = section;
    }
    return biggest;
}

TMeasured OursSort(const QString &file, const QString &operation)
{
    TMeasured m;
    TKvMemIni *ini = LoadOurs(file, m);
    TKvIniSection *section = BiggestSection(*ini);
    if (!section) {
        m.Fail("no-section");
        return m;
    }
    TKvPtrVector<TKvIniVal> &vals = section->Vals;
    if (operation == BenchOp::SortShuffled) {
        std::mt19937 random(20240229);
        std::shuffle(vals.begin(), vals.end(), random);
    }
    const bool ascending = operation != BenchOp::SortDescending;
    TStopwatch watch;
    section->SortVals(skName, ascending);
    m.Seconds = watch.Seconds();
    m.Check = vals.Count();
    // The names are "keyNNNNNNN", whose collation order is their code unit order.
    for (qint32 i = 1; i < vals.Count(); ++i) {
        const int order = vals[i - 1]->NameView().compare(vals[i]->NameView());
        if (ascending ? order > 0 : order < 0) {
            m.Fail("not-sorted");
            break;
        }
    }
    return m;
}

TMeasured OursSortAll(const QString &file)
{
    TMeasured m;
    TKvMemIni *ini = LoadOurs(file, m);
    TStopwatch watch;
    ini->SortAll(skName, true);
    m.Seconds = watch.Seconds();
    m.Check = CountEntries(*ini);
    return m;
}

// The first changes of the biggest section after loading, one entry each, in
// its middle: an insertion, an edit, a deletion, then a second insertion. The
// seconds are the first change's; the note has every step.
TMeasured OursFirstChange(const QString &file)
{
    TMeasured m;
    TKvMemIni *ini = LoadOurs(file, m);
    TKvIniSection *section = BiggestSection(*ini);
    if (!section || section->Vals.Count() < 2) {
        m.Fail("no-section");
        return m;
    }
    const qint32 middle = section->Vals.Count() / 2;
    std::string note;
    const auto step = [&](const char *name, auto change) {
        TStopwatch watch;
        change();
        const double seconds = watch.Seconds();
        note += (note.empty() ? "" : ",") + std::string(name) + "=" + std::to_string(seconds);
        return seconds;
    };
    m.Seconds = step("insert", [&] { section->InsertVal(middle, u"new", u"1", u""); });
    step("edit", [&] { section->Vals[middle + 1]->SetValue(u"edited"); });
    step("delete", [&] { section->DeleteVal(section->Vals[middle]); }); // the entry inserted above
    step("insert2", [&] { section->InsertVal(middle, u"new", u"2", u""); });
    m.Check = section->Vals.Count();
    m.Note = note;
    return m;
}

// A session on the file as the editor holds it: loaded with KeepLayout, one
// entry in every thousand edited, one inserted into the biggest section, one
// deleted from it, then saved keeping the layout. The peak memory is what
// counts; the seconds are those of the edits and the save.
TMeasured OursEditAndSave(const QString &file, const QString &output)
{
    TMeasured m;
    auto *ini = new TKvMemIni;
    ini->KeepLayout = true;
    const int result = ini->LoadFromFile(file);
    if (result < 0) {
        m.Fail("read-result-" + std::to_string(result));
        return m;
    }
    TStopwatch watch;
    qint64 edited = 0;
    qint64 line = 0;
    for (TKvIniSection *section : ini->Sections) {
        for (TKvIniVal *val : section->Vals) {
            if (++line % 1000 == 0) {
                val->SetValue(QStringLiteral("edited %1").arg(line));
                ++edited;
            }
        }
    }
    TKvIniSection *biggest = BiggestSection(*ini);
    if (biggest && biggest->Vals.Count() > 0) {
        biggest->InsertVal(biggest->Vals.Count() / 2, u"new", u"1", u"");
        biggest->DeleteVal(biggest->Vals[biggest->Vals.Count() / 3]);
    }
    ini->SaveToFile(output, KvEncoding::Utf8);
    m.Seconds = watch.Seconds();
    m.Check = edited;
    return m;
}

// The characters the search examines: section names and comments, entry
// names, values and comments.
qint64 FieldCharacters(const TKvMemIni &ini)
{
    qint64 characters = 0;
    for (const TKvIniSection *section : ini.Sections) {
        characters += section->Name.size() + section->Comment.size();
        for (const TKvIniVal *val : section->Vals)
            characters += val->NameView().size() + val->ValueView().size() + val->CommentView().size();
    }
    return characters;
}

// Find First over the whole document for a text that occurs nowhere, ignoring
// case, in all five kinds of text: every field is lower-cased and scanned.
TMeasured OursSearch(const QString &file)
{
    TMeasured m;
    TKvMemIni *ini = LoadOurs(file, m);
    TSearchStruct options; // all five "where" flags, case-insensitive, forward
    TKvSearch search(u"Unmatched Needle", options.CaseSensitive, options.WholeWords);
    qint32 sectionCursor = KvSearchCursor::Before;
    qint32 itemCursor = KvSearchCursor::Before;
    TStopwatch watch;
    const bool found = Find(search, *ini, sectionCursor, itemCursor, options);
    m.Seconds = watch.Seconds();
    m.Check = FieldCharacters(*ini);
    if (found)
        m.Fail("found-at-" + std::to_string(sectionCursor) + "/" + std::to_string(itemCursor));
    return m;
}

// ---- quillon-ini as a whole process --------------------------------------------

// Runs quillon-ini with the arguments, as a shell would, and times it from
// start to exit. Its output is read and counted (the check); its peak is the
// tool's own. An exit code other than the one expected fails the measurement.
TMeasured CliRun(std::vector<std::string> args, int expectedExit)
{
    TMeasured m;
    args.insert(args.begin(), QUILLON_CLI);
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    int output[2];
    if (pipe(output) != 0) {
        m.Fail("no-pipe");
        return m;
    }
    TStopwatch watch;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(output[1]);
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = read(output[0], buffer, sizeof buffer);
        if (n > 0)
            m.Check += n;
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(output[0]);
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
        m.Fail("not-run");
        return m;
    }
    m.Seconds = watch.Seconds();
    m.PeakKb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != expectedExit)
        m.Fail("exit-" + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1));
    return m;
}

// ---- inih, storing every entry as three std::string ----------------------------

struct TTriple
{
    std::string Section;
    std::string Name;
    std::string Value;
};

int StoreTriple(void *user, const char *section, const char *name, const char *value)
{
    static_cast<std::vector<TTriple> *>(user)->push_back({section, name, value});
    return 1;
}

TMeasured InihLoad(const QString &file)
{
    TMeasured m;
    auto *triples = new std::vector<TTriple>;
    TStopwatch watch;
    const int error = ini_parse(Native(file).c_str(), StoreTriple, triples);
    m.Seconds = watch.Seconds();
    m.Check = qint64(triples->size());
    if (error < 0)
        m.Fail("ini_parse-" + std::to_string(error));
    else if (error > 0)
        m.Note = "first-error-line-" + std::to_string(error); // inih reads on past bad lines
    return m;
}

// ---- SimpleIni, in its char (UTF-8) and its ICU UChar (UTF-16) flavour -------------

template <typename TSimpleIni> qint64 CountSimpleIniKeys(const TSimpleIni &ini)
{
    typename TSimpleIni::TNamesDepend sections;
    ini.GetAllSections(sections);
    qint64 keys = 0;
    for (const auto &section : sections)
        keys += ini.GetSectionSize(section.pItem);
    return keys;
}

template <typename TSimpleIni> TSimpleIni *LoadSimpleIni(const QString &file, TMeasured &m)
{
    auto *ini = new TSimpleIni(true /* UTF-8 file */, false, false);
    const SI_Error error = ini->LoadFile(Native(file).c_str());
    if (error < 0)
        m.Fail("SI_Error-" + std::to_string(int(error)));
    return ini;
}

template <typename TSimpleIni> TMeasured SimpleIniLoad(const QString &file)
{
    TMeasured m;
    TStopwatch watch;
    TSimpleIni *ini = LoadSimpleIni<TSimpleIni>(file, m);
    m.Seconds = watch.Seconds();
    m.Check = CountSimpleIniKeys(*ini);
    return m;
}

template <typename TSimpleIni> TMeasured SimpleIniSave(const QString &file, const QString &output)
{
    TMeasured m;
    TSimpleIni *ini = LoadSimpleIni<TSimpleIni>(file, m);
    m.Check = CountSimpleIniKeys(*ini);
    TStopwatch watch;
    const SI_Error error = ini->SaveFile(Native(output).c_str(), false);
    m.Seconds = watch.Seconds();
    if (error < 0)
        m.Fail("SI_Error-" + std::to_string(int(error)));
    return m;
}

// ---- QSettings(IniFormat) ---------------------------------------------------------

// QSettings parses on first access; reading every key and value makes it parse
// the whole file and hand out every value.
QSettings *LoadSettings(const QString &file, QStringList &keys, TMeasured &m)
{
    auto *settings = new QSettings(file, QSettings::IniFormat);
    keys = settings->allKeys();
    qint64 characters = 0;
    for (const QString &key : std::as_const(keys))
        characters += settings->value(key).toString().size();
    if (settings->status() != QSettings::NoError)
        m.Fail("status-" + std::to_string(int(settings->status())));
    m.Check = keys.size() + (characters > 0 ? 0 : -1);
    return settings;
}

TMeasured SettingsLoad(const QString &file)
{
    TMeasured m;
    QStringList keys;
    TStopwatch watch;
    LoadSettings(file, keys, m);
    m.Seconds = watch.Seconds();
    return m;
}

// Saving: the loaded values are set on a QSettings for a new file (not timed);
// the measured part is sync(), which writes that file.
TMeasured SettingsSave(const QString &file, const QString &output)
{
    TMeasured m;
    QStringList keys;
    QSettings *settings = LoadSettings(file, keys, m);
    auto *copy = new QSettings(output, QSettings::IniFormat);
    for (const QString &key : std::as_const(keys))
        copy->setValue(key, settings->value(key));
    TStopwatch watch;
    copy->sync();
    m.Seconds = watch.Seconds();
    if (copy->status() != QSettings::NoError)
        m.Fail("status-" + std::to_string(int(copy->status())));
    return m;
}

TMeasured Measure(const QString &tool, const QString &operation, const QString &file, const QString &output)
{
    using namespace BenchTool;
    const bool load = operation == BenchOp::Load;
    const bool save = operation == BenchOp::Save;
    if (tool == None)
        return {};
    if (tool == Decode && load)
        return DecodeLoad(file);
    if (tool == Decode && save)
        return EncodeSave(file, output);
    if (tool == Ours && load)
        return OursLoad(file);
    if ((tool == Ours || tool == OursStream) && save)
        return OursSave(file, output, tool == OursStream);
    if (tool == OursKeep && save)
        return OursSave(file, output, false, true);
    if (tool == Ours
        && (operation == BenchOp::SortAscending || operation == BenchOp::SortDescending
            || operation == BenchOp::SortShuffled))
        return OursSort(file, operation);
    if (tool == OursParts && load)
        return OursLoadParts(file);
    if (tool == OursParts && save)
        return OursSaveParts(file, output);
    if (tool == Ours && operation == BenchOp::Search)
        return OursSearch(file);
    if (tool == Cli && operation == BenchOp::Stats)
        return CliRun({"stats", Native(file)}, 0);
    // Two different files: diff exits with 1.
    if (tool == Cli && operation == BenchOp::Diff)
        return CliRun({"diff", Native(file), Native(output)}, 1);
    if (tool == Ours && operation == BenchOp::SortAll)
        return OursSortAll(file);
    if (tool == Ours && operation == BenchOp::FirstChange)
        return OursFirstChange(file);
    if (tool == Ours && operation == BenchOp::EditAndSave)
        return OursEditAndSave(file, output);
    if (tool == Inih && load)
        return InihLoad(file);
    if (tool == SimpleIniA && load)
        return SimpleIniLoad<CSimpleIniA>(file);
    if (tool == SimpleIniA && save)
        return SimpleIniSave<CSimpleIniA>(file, output);
    if (tool == SimpleIniW && load)
        return SimpleIniLoad<CSimpleIniW>(file);
    if (tool == SimpleIniW && save)
        return SimpleIniSave<CSimpleIniW>(file, output);
    if (tool == Settings && load)
        return SettingsLoad(file);
    if (tool == Settings && save)
        return SettingsSave(file, output);
    TMeasured unknown;
    unknown.Fail("unknown-tool-or-operation");
    return unknown;
}

} // namespace

int RunOneOperation(const QString &tool, const QString &operation, const QString &file, const QString &output)
{
    TMeasured m;
    try {
        m = Measure(tool, operation, file, output);
    } catch (const TKvFileError &error) {
        m.Fail("file-error");
        std::fprintf(stderr, "%s\n", error.what());
    } catch (const std::exception &error) {
        m.Fail("exception");
        std::fprintf(stderr, "%s\n", error.what());
    }
    std::printf("result %.6f %lld %lld %d %s\n", m.Seconds,
                static_cast<long long>(m.PeakKb > 0 ? m.PeakKb : PeakResidentKb()),
                static_cast<long long>(m.Check), m.Ok ? 1 : 0, m.Note.c_str());
    std::fflush(stdout);
    std::fflush(stderr);
    // Nothing is freed: tearing down millions of objects is not part of any measurement.
    _exit(m.Ok ? 0 : 1);
}
