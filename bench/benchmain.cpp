// quillon-bench: loads and saves the corpus with our core and with the peers
// (inih, SimpleIni, QSettings), sorts and searches with our core, reads and
// compares two files with quillon-ini, and prints a markdown table of the
// medians with the targets passed or missed.
//
// Every single measurement runs in a child process (this program started again
// with --one), so that the peak memory a child reports is that of one
// operation and no run inherits another's heap.
#include "benchchild.h"
#include "benchreport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QSysInfo>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

namespace {

// ---- What is measured ---------------------------------------------------------

struct TCorpusFile
{
    QString Name;  // file name in the corpus folder
    QString Label; // what it holds
    QString Path;
    qint64 Bytes = 0;
    qint64 Lines = 0;
};

struct TToolInfo
{
    QString Tool;
    QString LoadLabel;
    QString SaveLabel; // empty when the tool cannot save
};

const QList<TToolInfo> &Tools()
{
    static const QList<TToolInfo> tools = {
        {BenchTool::Decode, QStringLiteral("decode limit: read + QString::fromUtf8"),
         QStringLiteral("encode limit: toUtf8 + write")},
        {BenchTool::Ours, QStringLiteral("**Quillon core** LoadFromFile"),
         QStringLiteral("**Quillon core** SaveToFile(path, 65001)")},
        {BenchTool::OursStream, {}, QStringLiteral("Quillon core SaveToStream to a QFile (writer alone)")},
        {BenchTool::OursKeep, {}, QStringLiteral("Quillon core SaveToFile(path, 65001), keep-layout")},
        {BenchTool::Inih, QStringLiteral("inih, std::string triples"), {}},
        {BenchTool::SimpleIniA, QStringLiteral("SimpleIni CSimpleIniA (UTF-8 store)"),
         QStringLiteral("SimpleIni CSimpleIniA SaveFile")},
        {BenchTool::SimpleIniW, QStringLiteral("SimpleIni CSimpleIniW (ICU UChar)"),
         QStringLiteral("SimpleIni CSimpleIniW SaveFile")},
        {BenchTool::Settings, QStringLiteral("QSettings(IniFormat), all keys and values"),
         QStringLiteral("QSettings(IniFormat) sync to a new file")},
    };
    return tools;
}

// One child's report.
struct TSample
{
    double Seconds = 0;
    qint64 PeakKb = 0;
    qint64 Check = 0;
    bool Ok = false;
    QString Note;
};

// The medians of several runs of one operation.
struct TResult
{
    double Seconds = 0;
    qint64 PeakKb = 0;
    qint64 Check = 0;
    bool Ok = false;
    QString Note;
    QList<std::pair<QString, double>> Parts; // "step=seconds" notes of a breakdown, medians

    double Part(const QString &name) const
    {
        for (const auto &[partName, seconds] : Parts) {
            if (partName == name)
                return seconds;
        }
        return 0;
    }
};

// ---- Children -------------------------------------------------------------------

// The samples of one tool's runs, and their medians.
struct TRuns
{
    QList<double> Seconds;
    QList<double> Peaks;
    QList<std::pair<QString, QList<double>>> Parts;
    TResult Result{0, 0, 0, true, {}, {}};
    bool Failed = false;

    void Add(const TSample &sample)
    {
        Seconds.append(sample.Seconds);
        Peaks.append(double(sample.PeakKb));
        Result.Check = sample.Check;
        if (sample.Ok && sample.Note.contains(u'='))
            AddParts(sample.Note);
        else if (sample.Ok)
            Result.Note = sample.Note;
        if (!sample.Ok && !Failed) {
            Failed = true;
            Result.Ok = false;
            Result.Note = sample.Note;
        }
    }

    TResult Medians() const
    {
        TResult result = Result;
        result.Seconds = Median(Seconds);
        result.PeakKb = qint64(Median(Peaks));
        for (const auto &[name, values] : Parts)
            result.Parts.append({name, Median(values)});
        return result;
    }

private:
    // Adds the times of a note "step=seconds,step=seconds" to the runs of each step.
    void AddParts(const QString &note)
    {
        for (const QString &item : note.split(u',')) {
            const qsizetype equals = item.indexOf(u'=');
            const QString name = item.left(equals);
            const double seconds = item.mid(equals + 1).toDouble();
            auto found = std::find_if(Parts.begin(), Parts.end(),
                                      [&](const auto &part) { return part.first == name; });
            if (found == Parts.end())
                Parts.append({name, {seconds}});
            else
                found->second.append(seconds);
        }
    }
};

class TRunner
{
public:
    TRunner(int runs, QString scratchDir, QProcessEnvironment environment, bool verbose)
        : m_runs(runs)
        , m_scratchDir(std::move(scratchDir))
        , m_environment(std::move(environment))
        , m_verbose(verbose)
    {}

    // other: the second file of an operation on two (diff).
    TResult Measure(const QString &tool, const QString &operation, const TCorpusFile &file,
                    const TCorpusFile *other = nullptr)
    {
        return MeasureTogether({tool}, operation, file, other).constFirst();
    }

    // Measures several tools on the same operation and file, taking turns run
    // by run (tool A, tool B, tool A, ...), so that a change of the machine's
    // load during the measurement falls on all of them alike. One result per
    // tool, in the order given.
    QList<TResult> MeasureTogether(const QStringList &tools, const QString &operation, const TCorpusFile &file,
                                   const TCorpusFile *other = nullptr)
    {
        QList<TRuns> runs(tools.size());
        for (int run = 1; run <= m_runs; ++run) {
            for (qsizetype i = 0; i < tools.size(); ++i) {
                if (runs[i].Failed)
                    continue; // a failing operation fails the same way every time
                const TSample sample =
                    RunChild(tools[i], operation, file.Path, other ? other->Path : QString());
                runs[i].Add(sample);
                std::fprintf(stderr, "  %-14s %-13s %-18s run %d/%d: %8.3f s %8.1f MiB%s\n",
                             qPrintable(operation), qPrintable(tools[i]), qPrintable(file.Name), run, m_runs,
                             sample.Seconds, double(sample.PeakKb) / 1024,
                             sample.Ok ? "" : qPrintable(QStringLiteral("  FAILED ") + sample.Note));
            }
        }
        QList<TResult> results;
        for (const TRuns &toolRuns : std::as_const(runs))
            results.append(toolRuns.Medians());
        return results;
    }

    TSample RunChild(const QString &tool, const QString &operation, const QString &file, const QString &other)
    {
        // An operation on two files gets the second where the others get their output.
        const QString output = other.isEmpty()
                                   ? m_scratchDir + QStringLiteral("/saved-") + tool + QStringLiteral(".ini")
                                   : other;
        if (other.isEmpty())
            QFile::remove(output);
        QProcess child;
        child.setProcessEnvironment(m_environment);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--one"), tool, operation, file, output});
        TSample sample;
        if (!child.waitForStarted(-1) || !child.waitForFinished(-1)) {
            sample.Note = QStringLiteral("could not run: ") + child.errorString();
            return sample;
        }
        if (other.isEmpty())
            QFile::remove(output);
        const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(child.readAllStandardError()).trimmed();
        if (m_verbose || child.exitCode() != 0) {
            if (!err.isEmpty())
                std::fprintf(stderr, "    child says: %s\n", qPrintable(err));
        }
        for (const QString &line : out.split(u'\n')) {
            const QStringList fields = line.split(u' ');
            if (fields.size() >= 6 && fields[0] == u"result") {
                sample.Seconds = fields[1].toDouble();
                sample.PeakKb = fields[2].toLongLong();
                sample.Check = fields[3].toLongLong();
                sample.Ok = fields[4] == u"1" && child.exitStatus() == QProcess::NormalExit;
                sample.Note = fields.mid(5).join(u' ');
                return sample;
            }
        }
        sample.Note = child.exitStatus() == QProcess::CrashExit ? QStringLiteral("crashed")
                                                                : QStringLiteral("no result line");
        return sample;
    }

private:
    int m_runs;
    QString m_scratchDir;
    QProcessEnvironment m_environment;
    bool m_verbose;
};

// ---- Formatting -----------------------------------------------------------------

double MegaBytes(qint64 bytes)
{
    return double(bytes) / 1e6;
}

double Mib(qint64 kb)
{
    return double(kb) / 1024;
}

// "2.41×": how many times the peer's value is ours (time: how many times faster we are).
QString Times(double value)
{
    return Fixed(value, 2) + QStringLiteral("×");
}

struct TTarget
{
    QString What;
    QString Where;
    QString Measured;
    QString Goal;
    std::optional<bool> Passed; // nothing: could not be measured
};

// ---- The corpus ---------------------------------------------------------------------

const QString PhpFile = QStringLiteral("php-50mb.ini");
const QString OneSectionFile = QStringLiteral("section-1m.ini");
const QString ManySectionsFile = QStringLiteral("sections-100k.ini");
// The other side of the comparison, only read by diff.
const QString EditedFile = QStringLiteral("section-1m-edited.ini");

qint64 CountLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.readAll(); // also brings the file into the page cache
    qint64 lines = bytes.count('\n');
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        ++lines;
    return lines;
}

// Fills in the path, size and lines of a corpus file; false when it is missing.
bool FindFile(const QString &dir, TCorpusFile &file)
{
    file.Path = QDir(dir).absoluteFilePath(file.Name);
    const QFileInfo info(file.Path);
    if (!info.isFile()) {
        std::fprintf(stderr, "quillon-bench: %s is missing (bench/run.sh generates the corpus)\n",
                     qPrintable(file.Path));
        return false;
    }
    file.Bytes = info.size();
    file.Lines = CountLines(file.Path);
    return true;
}

std::optional<QList<TCorpusFile>> FindCorpus(const QString &dir)
{
    QList<TCorpusFile> files = {
        {PhpFile,
         QStringLiteral("php.ini-production repeated, unique section names (comment-heavy)"),
         {},
         0,
         0},
        {OneSectionFile, QStringLiteral("one section of 1,000,000 key lines"), {}, 0, 0},
        {ManySectionsFile, QStringLiteral("100,000 sections of 10 keys, comments, blank lines"), {}, 0, 0},
    };
    for (TCorpusFile &file : files) {
        if (!FindFile(dir, file))
            return std::nullopt;
    }
    return files;
}

// The locale the children run in. Collation in the C locale is a plain code
// point comparison, which would make the sort look cheaper than any user sees
// it, so a C or POSIX environment is measured in en_US.UTF-8 instead.
QString ChildLocale(const QString &requested)
{
    if (!requested.isEmpty())
        return requested;
    for (const char *name : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (value.isEmpty())
            continue;
        if (value == u"C" || value == u"POSIX" || value.startsWith(u"C."))
            break;
        return value;
    }
    return QStringLiteral("en_US.UTF-8");
}

// The machine's load averages over 1, 5 and 15 minutes ("0.52 0.58 0.59").
QString LoadAverages()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    const QList<QByteArray> fields = file.readLine().split(' ');
    return fields.size() >= 3 ? QString::fromLatin1(fields[0] + ' ' + fields[1] + ' ' + fields[2])
                              : QStringLiteral("unknown");
}

// The system's transparent huge page mode: "always", "madvise" or "never".
QString HugePageMode()
{
    QFile file(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    const QString modes = QString::fromLatin1(file.readAll());
    const qsizetype open = modes.indexOf(u'[');
    const qsizetype close = modes.indexOf(u']', open);
    return open >= 0 && close > open ? modes.mid(open + 1, close - open - 1) : QStringLiteral("unknown");
}

// The tunable that makes glibc's malloc ask for transparent huge pages for
// the memory it gets from the system, as the core does for its big buffers.
// Without it the decode limit's buffers fault in page by page while ours come
// in huge pages, and the two are not measured under the same conditions.
const QString HugePagesTunable = QStringLiteral("glibc.malloc.hugetlb=1");

// ---- The benchmark ----------------------------------------------------------------

struct TOptions
{
    QString CorpusDir;
    int Runs = 5;
    QStringList Operations; // load, save, sort, search, diff
    QStringList ToolFilter; // empty: all
    QString Locale;
    bool DefaultMalloc = false; // the children's allocator as it comes, without HugePagesTunable
    bool Verbose = false;
};

class TBenchmark
{
public:
    TBenchmark(const TOptions &options, const QList<TCorpusFile> &files, TCorpusFile edited, TRunner &runner)
        : m_options(options)
        , m_files(files)
        , m_edited(std::move(edited))
        , m_runner(runner)
    {}

    void Run()
    {
        m_baseline = m_runner.Measure(BenchTool::None, BenchOp::Load, m_files[0]);
        if (m_options.Operations.contains(u"load"))
            RunLoadOrSave(BenchOp::Load);
        if (m_options.Operations.contains(u"save"))
            RunLoadOrSave(BenchOp::Save);
        if (m_options.Operations.contains(u"sort"))
            RunSort();
        if (m_options.Operations.contains(u"search"))
            RunSearch();
        if (m_options.Operations.contains(u"diff"))
            RunDiff();
        if (m_options.Operations.contains(u"edit"))
            RunEdit();
    }

    // memory: how the children's allocator was set up; loadAverages: the
    // machine's load averages when the run started.
    QString Report(const QString &locale, const QString &saveDir, const QString &memory,
                   const QString &loadAverages) const
    {
        TReport r;
        r.Line(QStringLiteral("## Quillon benchmark"));
        r.Line();
        r.Line(QStringLiteral("%1, %2 cores; Qt %3; %4; children in locale %5; median of %6 runs, each in a "
                              "process of its own.")
                   .arg(CpuName())
                   .arg(QThread::idealThreadCount())
                   .arg(QString::fromLatin1(qVersion()))
                   .arg(QDateTime::currentDateTime().toString(Qt::ISODate))
                   .arg(locale)
                   .arg(m_options.Runs));
        r.Line(QStringLiteral("Load averages (1, 5, 15 min): %1 at the start, %2 at the end.")
                   .arg(loadAverages, LoadAverages()));
        r.Line(memory);
        r.Line(
            QStringLiteral("Seconds time the operation alone, inside the child (a save, sort or search "
                           "first loads its file untimed). MB = 10^6 bytes of the input file. Peak = the "
                           "child's VmHWM; B/line = (peak − %1 MiB of an idle child) / lines of the file. "
                           "\"ours faster\" = peer seconds / our seconds; \"ours/peer mem\" = our B/line / "
                           "the peer's.")
                .arg(Fixed(Mib(m_baseline.PeakKb), 1)));
        if (m_options.Operations.contains(u"save"))
            r.Line(QStringLiteral("Saves write to %1, a new file each run.").arg(saveDir));
        r.Line();
        r.Header(
            {QStringLiteral("file"), QStringLiteral("what"), QStringLiteral("MB"), QStringLiteral("lines")},
            2);
        for (const TCorpusFile &file : m_files)
            r.Row(
                {file.Name, file.Label, Fixed(MegaBytes(file.Bytes), 1), QLocale::c().toString(file.Lines)});
        r.Line();
        if (m_options.Operations.contains(u"load"))
            ReportLoadOrSave(r, BenchOp::Load);
        if (m_options.Operations.contains(u"save"))
            ReportLoadOrSave(r, BenchOp::Save);
        if (m_options.Operations.contains(u"load") || m_options.Operations.contains(u"save"))
            ReportBreakdown(r);
        if (m_options.Operations.contains(u"sort") || m_options.Operations.contains(u"search"))
            ReportSortAndSearch(r);
        if (m_options.Operations.contains(u"diff"))
            ReportDiff(r);
        if (m_options.Operations.contains(u"edit"))
            ReportEdit(r);
        ReportTargets(r);
        return r.Text();
    }

private:
    using TKey = std::pair<QString, QString>; // tool, file name

    bool Wanted(const QString &tool) const
    {
        return m_options.ToolFilter.isEmpty() || m_options.ToolFilter.contains(tool)
               || tool == BenchTool::Ours;
    }

    std::map<TKey, TResult> &Results(const QString &operation) { return m_results[operation]; }

    const TResult *Find(const QString &operation, const QString &tool, const QString &file) const
    {
        const auto byOperation = m_results.find(operation);
        if (byOperation == m_results.end())
            return nullptr;
        const auto found = byOperation->second.find({tool, file});
        return found == byOperation->second.end() ? nullptr : &found->second;
    }

    void RunLoadOrSave(const QString &operation)
    {
        std::fprintf(stderr, "%s:\n", qPrintable(operation));
        // The tools take turns run by run: the decode limit and our load see
        // the same machine.
        QStringList tools;
        for (const TToolInfo &info : Tools()) {
            const QString &label = operation == BenchOp::Load ? info.LoadLabel : info.SaveLabel;
            if (!label.isEmpty() && Wanted(info.Tool))
                tools.append(info.Tool);
        }
        if (Wanted(BenchTool::OursParts))
            tools.append(BenchTool::OursParts);
        for (const TCorpusFile &file : m_files) {
            const QList<TResult> results = m_runner.MeasureTogether(tools, operation, file);
            for (qsizetype i = 0; i < tools.size(); ++i)
                Results(operation)[{tools[i], file.Name}] = results[i];
        }
    }

    void RunSort()
    {
        std::fprintf(stderr, "sort:\n");
        const TCorpusFile &file = FileNamed(OneSectionFile);
        for (const QString &operation :
             {BenchOp::SortAscending, BenchOp::SortDescending, BenchOp::SortShuffled})
            Results(operation)[{BenchTool::Ours, file.Name}] =
                m_runner.Measure(BenchTool::Ours, operation, file);
    }

    void RunSearch()
    {
        std::fprintf(stderr, "search:\n");
        const TCorpusFile &file = FileNamed(PhpFile);
        Results(BenchOp::Search)[{BenchTool::Ours, file.Name}] =
            m_runner.Measure(BenchTool::Ours, BenchOp::Search, file);
    }

    // quillon-ini reading each of two 1,000,000-line files, then comparing them.
    void RunDiff()
    {
        std::fprintf(stderr, "diff:\n");
        const TCorpusFile &file = FileNamed(OneSectionFile);
        Results(BenchOp::Stats)[{BenchTool::Cli, file.Name}] =
            m_runner.Measure(BenchTool::Cli, BenchOp::Stats, file);
        Results(BenchOp::Stats)[{BenchTool::Cli, m_edited.Name}] =
            m_runner.Measure(BenchTool::Cli, BenchOp::Stats, m_edited);
        Results(BenchOp::Diff)[{BenchTool::Cli, file.Name}] =
            m_runner.Measure(BenchTool::Cli, BenchOp::Diff, file, &m_edited);
    }

    // The results of RunDiff: stats of each file, diff of both; null when not all ran.
    struct TDiffResults
    {
        const TResult *StatsA = nullptr;
        const TResult *StatsB = nullptr;
        const TResult *Diff = nullptr;
    };
    std::optional<TDiffResults> DiffResults() const
    {
        TDiffResults results{Find(BenchOp::Stats, BenchTool::Cli, OneSectionFile),
                             Find(BenchOp::Stats, BenchTool::Cli, m_edited.Name),
                             Find(BenchOp::Diff, BenchTool::Cli, OneSectionFile)};
        if (!results.StatsA || !results.StatsB || !results.Diff)
            return std::nullopt;
        return results;
    }

    void RunEdit()
    {
        std::fprintf(stderr, "edit:\n");
        for (const QString &name : {PhpFile, ManySectionsFile})
            Results(BenchOp::SortAll)[{BenchTool::Ours, name}] =
                m_runner.Measure(BenchTool::Ours, BenchOp::SortAll, FileNamed(name));
        Results(BenchOp::FirstChange)[{BenchTool::Ours, OneSectionFile}] =
            m_runner.Measure(BenchTool::Ours, BenchOp::FirstChange, FileNamed(OneSectionFile));
        for (const TCorpusFile &file : m_files)
            Results(BenchOp::EditAndSave)[{BenchTool::Ours, file.Name}] =
                m_runner.Measure(BenchTool::Ours, BenchOp::EditAndSave, file);
    }

    const TCorpusFile &FileNamed(const QString &name) const
    {
        for (const TCorpusFile &file : m_files) {
            if (file.Name == name)
                return file;
        }
        return m_files[0];
    }

    double BytesPerLine(const TResult &result, const TCorpusFile &file) const
    {
        return double(result.PeakKb - m_baseline.PeakKb) * 1024 / double(qMax<qint64>(file.Lines, 1));
    }

    void ReportLoadOrSave(TReport &r, const QString &operation) const
    {
        const bool load = operation == BenchOp::Load;
        r.Line(load ? QStringLiteral("### Load") : QStringLiteral("### Save (UTF-8)"));
        r.Line();
        QStringList header = {QStringLiteral("file"), QStringLiteral("tool"), QStringLiteral("seconds"),
                              QStringLiteral("MB/s"), QStringLiteral("peak MiB")};
        if (load)
            header.append(QStringLiteral("B/line"));
        header.append(QStringLiteral("ours faster"));
        if (load)
            header.append(QStringLiteral("ours/peer mem"));
        header.append(QStringLiteral("check"));
        r.Header(header, 2);
        for (const TCorpusFile &file : m_files) {
            const TResult *ours = Find(operation, BenchTool::Ours, file.Name);
            for (const TToolInfo &info : Tools()) {
                const QString &label = load ? info.LoadLabel : info.SaveLabel;
                const TResult *result = Find(operation, info.Tool, file.Name);
                if (label.isEmpty() || !result)
                    continue;
                QStringList cells = {file.Name, label};
                if (!result->Ok) {
                    cells.append(QStringLiteral("failed: ") + result->Note);
                    while (cells.size() < header.size())
                        cells.append(QString());
                    r.Row(cells);
                    continue;
                }
                const bool isOurs = info.Tool == BenchTool::Ours;
                cells.append(Fixed(result->Seconds, 3));
                cells.append(Fixed(MegaBytes(file.Bytes) / qMax(result->Seconds, 1e-9), 0));
                cells.append(Fixed(Mib(result->PeakKb), 1));
                if (load)
                    cells.append(Fixed(BytesPerLine(*result, file), 0));
                const bool compare = ours && ours->Ok && !isOurs;
                cells.append(compare ? Times(result->Seconds / ours->Seconds) : QStringLiteral("—"));
                if (load) {
                    cells.append(compare ? Times(BytesPerLine(*ours, file) / BytesPerLine(*result, file))
                                         : QStringLiteral("—"));
                }
                QString check = QLocale::c().toString(result->Check);
                if (!result->Note.isEmpty() && result->Note != u"-")
                    check += QStringLiteral(" (%1)").arg(result->Note);
                cells.append(check);
                r.Row(cells);
            }
        }
        r.Line();
    }

    // Our load and save timed step by step through the core's public pieces.
    void ReportBreakdown(TReport &r) const
    {
        const auto parts = [&](const QString &operation) {
            QList<std::pair<const TCorpusFile *, const TResult *>> rows;
            for (const TCorpusFile &file : m_files) {
                const TResult *result = Find(operation, BenchTool::OursParts, file.Name);
                if (result && result->Ok && !result->Parts.isEmpty())
                    rows.append({&file, result});
            }
            return rows;
        };
        const auto seconds = [](double value) { return Fixed(value, 3); };
        const auto loads = parts(BenchOp::Load);
        const auto saves = parts(BenchOp::Save);
        if (loads.isEmpty() && saves.isEmpty())
            return;
        r.Line(QStringLiteral("### Where our time goes (seconds, medians)"));
        r.Line();
        if (!loads.isEmpty()) {
            r.Header({QStringLiteral("load of"), QStringLiteral("read bytes"), QStringLiteral("decode"),
                      QStringLiteral("parse"), QStringLiteral("sum"), QStringLiteral("LoadFromFile"),
                      QStringLiteral("decode limit"), QStringLiteral("LoadFromFile / limit")},
                     1);
            for (const auto &[file, result] : loads) {
                const TResult *limit = Find(BenchOp::Load, BenchTool::Decode, file->Name);
                const TResult *whole = Find(BenchOp::Load, BenchTool::Ours, file->Name);
                const bool haveLimit = limit && limit->Ok;
                const bool haveWhole = whole && whole->Ok;
                r.Row({file->Name, seconds(result->Part(QStringLiteral("read"))),
                       seconds(result->Part(QStringLiteral("decode"))),
                       seconds(result->Part(QStringLiteral("parse"))), seconds(result->Seconds),
                       haveWhole ? seconds(whole->Seconds) : QStringLiteral("—"),
                       haveLimit ? seconds(limit->Seconds) : QStringLiteral("—"),
                       haveWhole && haveLimit ? Times(whole->Seconds / qMax(limit->Seconds, 1e-9))
                                              : QStringLiteral("—")});
            }
            r.Line();
            r.Line(QStringLiteral("The steps (read, decode, parse) are timed one after another, each over the "
                                  "whole file, in a run of their own through the core's public pieces; "
                                  "LoadFromFile reads a big file in pieces of 64 KiB, read and decoded by a "
                                  "second thread while the first parses the lines decoded before, so it can "
                                  "take less than their sum (about as long as the longer of the two). "
                                  "LoadFromFile and the decode limit are the medians of the load table, "
                                  "measured in turns in the same run."));
            r.Line();
        }
        if (!saves.isEmpty()) {
            r.Header({QStringLiteral("save of"), QStringLiteral("GetText"), QStringLiteral("EncodeUtf8"),
                      QStringLiteral("write"), QStringLiteral("sum"), QStringLiteral("SaveToFile")},
                     1);
            for (const auto &[file, result] : saves) {
                const TResult *whole = Find(BenchOp::Save, BenchTool::Ours, file->Name);
                r.Row({file->Name, seconds(result->Part(QStringLiteral("text"))),
                       seconds(result->Part(QStringLiteral("encode"))),
                       seconds(result->Part(QStringLiteral("write"))), seconds(result->Seconds),
                       whole && whole->Ok ? seconds(whole->Seconds) : QStringLiteral("—")});
            }
            r.Line();
            r.Line(
                QStringLiteral("SaveToFile also writes a temporary file, flushes it to disk and renames it; "
                               "the steps here write straight to a file."));
            r.Line();
        }
    }

    void ReportSortAndSearch(TReport &r) const
    {
        r.Line(QStringLiteral("### Sort and search (Quillon core)"));
        r.Line();
        r.Header({QStringLiteral("operation"), QStringLiteral("file"), QStringLiteral("seconds"),
                  QStringLiteral("rate"), QStringLiteral("peak MiB"), QStringLiteral("check")},
                 2);
        const struct
        {
            QString Operation;
            QString Label;
        } rows[] = {
            {BenchOp::SortAscending, QStringLiteral("SortVals(skName, ascending), file order")},
            {BenchOp::SortDescending, QStringLiteral("SortVals(skName, descending), file order")},
            {BenchOp::SortShuffled, QStringLiteral("SortVals(skName, ascending), shuffled first")},
            {BenchOp::Search, QStringLiteral("Find, missing text, case-insensitive, all five fields")},
        };
        for (const auto &row : rows) {
            const QString fileName = row.Operation == BenchOp::Search ? PhpFile : OneSectionFile;
            const TResult *result = Find(row.Operation, BenchTool::Ours, fileName);
            if (!result)
                continue;
            if (!result->Ok) {
                r.Row({row.Label, fileName, QStringLiteral("failed: ") + result->Note, {}, {}, {}});
                continue;
            }
            const double seconds = qMax(result->Seconds, 1e-9);
            const QString rate =
                row.Operation == BenchOp::Search
                    ? Fixed(MegaBytes(result->Check) / seconds, 0) + QStringLiteral(" MB/s")
                    : Fixed(double(result->Check) / seconds / 1e6, 2) + QStringLiteral(" M entries/s");
            r.Row({row.Label, fileName, Fixed(result->Seconds, 3), rate, Fixed(Mib(result->PeakKb), 1),
                   QLocale::c().toString(result->Check)});
        }
        r.Line();
        if (Find(BenchOp::Search, BenchTool::Ours, PhpFile)) {
            r.Line(QStringLiteral("Search rate: MB of field text per second, where the field text is every "
                                  "character of the section names, section comments, entry names, values "
                                  "and comments (one byte per character, as the text stands in this ASCII "
                                  "file; \"check\" is that character count)."));
            r.Line();
        }
    }

    void ReportDiff(TReport &r) const
    {
        const std::optional<TDiffResults> results = DiffResults();
        if (!results)
            return;
        r.Line(QStringLiteral("### Compare (quillon-ini, the whole process)"));
        r.Line();
        r.Header({QStringLiteral("command"), QStringLiteral("seconds"), QStringLiteral("peak MiB"),
                  QStringLiteral("output bytes")},
                 1);
        const struct
        {
            QString Command;
            const TResult *Result;
        } rows[] = {
            {QStringLiteral("stats ") + OneSectionFile, results->StatsA},
            {QStringLiteral("stats ") + m_edited.Name, results->StatsB},
            {QStringLiteral("diff %1 %2").arg(OneSectionFile, m_edited.Name), results->Diff},
        };
        for (const auto &row : rows) {
            if (!row.Result->Ok) {
                r.Row({row.Command, QStringLiteral("failed: ") + row.Result->Note, {}, {}});
                continue;
            }
            r.Row({row.Command, Fixed(row.Result->Seconds, 3), Fixed(Mib(row.Result->PeakKb), 1),
                   QLocale::c().toString(row.Result->Check)});
        }
        r.Line();
        r.Line(
            QStringLiteral("%1 is %2 with one value in a hundred changed and one key in a thousand replaced; "
                           "seconds run from the tool's start to its exit.")
                .arg(m_edited.Name, OneSectionFile));
    }

    void ReportEdit(TReport &r) const
    {
        r.Line(QStringLiteral("### Editing (Quillon core)"));
        r.Line();
        r.Header({QStringLiteral("operation"), QStringLiteral("file"), QStringLiteral("seconds"),
                  QStringLiteral("peak MiB"), QStringLiteral("B/line"), QStringLiteral("steps (seconds)")},
                 2);
        const auto row = [&](const QString &label, const QString &operation, const TCorpusFile &file) {
            const TResult *result = Find(operation, BenchTool::Ours, file.Name);
            if (!result)
                return;
            if (!result->Ok) {
                r.Row({label, file.Name, QStringLiteral("failed: ") + result->Note, {}, {}, {}});
                return;
            }
            QStringList steps;
            for (const auto &[name, seconds] : result->Parts)
                steps.append(name + QStringLiteral(" ") + Fixed(seconds, 4));
            r.Row({label, file.Name, Fixed(result->Seconds, 4), Fixed(Mib(result->PeakKb), 1),
                   Fixed(BytesPerLine(*result, file), 0), steps.join(QStringLiteral(", "))});
        };
        for (const QString &name : {PhpFile, ManySectionsFile})
            row(QStringLiteral("SortAll(skName, ascending)"), BenchOp::SortAll, FileNamed(name));
        row(QStringLiteral("first single-entry changes of the biggest section after loading"),
            BenchOp::FirstChange, FileNamed(OneSectionFile));
        for (const TCorpusFile &file : m_files)
            row(QStringLiteral("keep-layout load, 1 line in 1,000 edited, insert, delete, save"),
                BenchOp::EditAndSave, file);
        r.Line();
        r.Line(
            QStringLiteral("B/line of the editing rows: the peak of the whole session (load, edits, save)."));
        r.Line();
    }

    void ReportTargets(TReport &r) const
    {
        QList<TTarget> targets;
        const auto ratioTarget = [&](const QString &what, const QString &operation, const QString &peer,
                                     const TCorpusFile &file, double goal, bool peerOverOurs) {
            const TResult *ours = Find(operation, BenchTool::Ours, file.Name);
            const TResult *other = Find(operation, peer, file.Name);
            if (!ours || !other)
                return;
            TTarget target{what, file.Name, {}, {}, std::nullopt};
            if (ours->Ok && other->Ok) {
                const double ratio =
                    peerOverOurs ? other->Seconds / ours->Seconds : ours->Seconds / other->Seconds;
                target.Measured = Times(ratio)
                                  + QStringLiteral(" (%1 s vs %2 s)")
                                        .arg(Fixed(ours->Seconds, 3), Fixed(other->Seconds, 3));
                target.Passed = peerOverOurs ? ratio >= goal : ratio <= goal;
            }
            target.Goal = (peerOverOurs ? QStringLiteral("≥ ") : QStringLiteral("≤ ")) + Times(goal);
            targets.append(target);
        };
        // The targets quote SimpleIni's char flavour (its 167 B/line on the 1M file is
        // CSimpleIniA's); the UChar flavour is in the tables for reference.
        const QString simpleInis[] = {BenchTool::SimpleIniA};
        const auto simpleName = [](const QString &tool) {
            return tool == BenchTool::SimpleIniA ? QStringLiteral("CSimpleIniA")
                                                 : QStringLiteral("CSimpleIniW");
        };

        for (const TCorpusFile &file : m_files) {
            ratioTarget(QStringLiteral("load time / decode limit"), BenchOp::Load, BenchTool::Decode, file,
                        1.25, false);
        }
        // Memory per line, after loading and over an editing session with KeepLayout.
        for (const QString &operation : {BenchOp::Load, BenchOp::EditAndSave}) {
            for (const TCorpusFile &file : m_files) {
                const TResult *ours = Find(operation, BenchTool::Ours, file.Name);
                if (!ours)
                    continue;
                TTarget target{operation == BenchOp::Load
                                   ? QStringLiteral("memory per line (peak), load")
                                   : QStringLiteral("memory per line (peak), keep-layout "
                                                    "load, edits and save"),
                               file.Name,
                               {},
                               QStringLiteral("≤ 125 B"),
                               std::nullopt};
                if (ours->Ok) {
                    const double bytes = BytesPerLine(*ours, file);
                    target.Measured = Fixed(bytes, 0) + QStringLiteral(" B");
                    target.Passed = bytes <= 125;
                }
                targets.append(target);
            }
        }
        const auto secondsTarget = [&](const QString &what, const QString &operation, const QString &fileName,
                                       double goal) {
            const TResult *result = Find(operation, BenchTool::Ours, fileName);
            if (!result)
                return;
            TTarget target{what, fileName, {}, QStringLiteral("≤ %1 s").arg(goal), std::nullopt};
            if (result->Ok) {
                target.Measured = Fixed(result->Seconds, 3) + QStringLiteral(" s");
                target.Passed = result->Seconds <= goal;
            } else {
                target.Measured = QStringLiteral("failed: ") + result->Note;
            }
            targets.append(target);
        };
        secondsTarget(QStringLiteral("SortAll(skName, ascending)"), BenchOp::SortAll, PhpFile, 0.8);
        secondsTarget(QStringLiteral("SortAll(skName, ascending)"), BenchOp::SortAll, ManySectionsFile, 0.8);
        secondsTarget(QStringLiteral("first single-entry change after loading (the core's part)"),
                      BenchOp::FirstChange, OneSectionFile, 0.03);
        for (const QString &peer : simpleInis) {
            for (const TCorpusFile &file : m_files) {
                ratioTarget(QStringLiteral("load faster than SimpleIni ") + simpleName(peer)
                                + QStringLiteral(" (its s / ours)"),
                            BenchOp::Load, peer, file, 1.0 + 1e-9, true);
            }
        }
        for (const TCorpusFile &file : m_files) {
            if (file.Name == PhpFile)
                continue;
            ratioTarget(QStringLiteral("load ahead of inih triples (its s / ours)"), BenchOp::Load,
                        BenchTool::Inih, file, 2.5, true);
        }
        for (const QString &peer : simpleInis) {
            for (const TCorpusFile &file : m_files) {
                const TResult *ours = Find(BenchOp::Load, BenchTool::Ours, file.Name);
                const TResult *other = Find(BenchOp::Load, peer, file.Name);
                if (!ours || !other)
                    continue;
                TTarget target{QStringLiteral("load memory per line ≤ SimpleIni ") + simpleName(peer),
                               file.Name,
                               {},
                               QStringLiteral("≤ its B/line"),
                               std::nullopt};
                if (ours->Ok && other->Ok) {
                    const double mine = BytesPerLine(*ours, file);
                    const double theirs = BytesPerLine(*other, file);
                    target.Measured = QStringLiteral("%1 B vs %2 B").arg(Fixed(mine, 0), Fixed(theirs, 0));
                    target.Passed = mine <= theirs;
                }
                targets.append(target);
            }
        }
        for (const QString &peer : simpleInis) {
            for (const TCorpusFile &file : m_files) {
                ratioTarget(QStringLiteral("save faster than SimpleIni ") + simpleName(peer)
                                + QStringLiteral(" (its s / ours)"),
                            BenchOp::Save, peer, file, 5.0, true);
            }
        }
        for (const QString &operation : {BenchOp::SortAscending, BenchOp::SortDescending}) {
            const TResult *sort = Find(operation, BenchTool::Ours, OneSectionFile);
            if (!sort)
                continue;
            TTarget target{QStringLiteral("sort 1,000,000 entries by name, ")
                               + (operation == BenchOp::SortAscending ? QStringLiteral("ascending")
                                                                      : QStringLiteral("descending")),
                           OneSectionFile,
                           {},
                           QStringLiteral("< 1.5 s"),
                           std::nullopt};
            if (sort->Ok) {
                target.Measured = Fixed(sort->Seconds, 3) + QStringLiteral(" s");
                target.Passed = sort->Seconds < 1.5;
            } else {
                target.Measured = QStringLiteral("failed: ") + sort->Note;
            }
            targets.append(target);
        }
        if (const TResult *search = Find(BenchOp::Search, BenchTool::Ours, PhpFile)) {
            TTarget target{QStringLiteral("search for a missing text, field text scanned per second"),
                           PhpFile,
                           {},
                           QStringLiteral("≥ 300 MB/s"),
                           std::nullopt};
            if (search->Ok) {
                const double rate = MegaBytes(search->Check) / qMax(search->Seconds, 1e-9);
                target.Measured = Fixed(rate, 0) + QStringLiteral(" MB/s");
                target.Passed = rate >= 300;
            } else {
                target.Measured = QStringLiteral("failed: ") + search->Note;
            }
            targets.append(target);
        }

        if (const std::optional<TDiffResults> diff = DiffResults()) {
            TTarget target{QStringLiteral("quillon-ini diff of two 1,000,000-line files / stats on each"),
                           OneSectionFile + QStringLiteral(", ") + m_edited.Name,
                           {},
                           QStringLiteral("≤ ") + Times(2.0),
                           std::nullopt};
            if (diff->StatsA->Ok && diff->StatsB->Ok && diff->Diff->Ok) {
                const double reading = diff->StatsA->Seconds + diff->StatsB->Seconds;
                const double ratio = diff->Diff->Seconds / qMax(reading, 1e-9);
                target.Measured =
                    Times(ratio)
                    + QStringLiteral(" (%1 s vs %2 s)").arg(Fixed(diff->Diff->Seconds, 3), Fixed(reading, 3));
                target.Passed = ratio <= 2.0;
            }
            targets.append(target);
        }

        r.Line(QStringLiteral("### Targets"));
        r.Line();
        r.Header({QStringLiteral("target"), QStringLiteral("file"), QStringLiteral("measured"),
                  QStringLiteral("goal"), QStringLiteral("result")},
                 5);
        int passed = 0;
        for (const TTarget &target : targets) {
            const QString verdict = !target.Passed.has_value() ? QStringLiteral("not measured")
                                    : *target.Passed           ? QStringLiteral("pass")
                                                               : QStringLiteral("**FAIL**");
            passed += target.Passed.value_or(false) ? 1 : 0;
            r.Row({target.What, target.Where,
                   target.Measured.isEmpty() ? QStringLiteral("failed") : target.Measured, target.Goal,
                   verdict});
        }
        r.Line();
        r.Line(QStringLiteral("%1 of %2 targets met. SimpleIni targets are checked against CSimpleIniA, the "
                              "flavour the targets were set from.")
                   .arg(passed)
                   .arg(targets.size()));
    }

    const TOptions &m_options;
    const QList<TCorpusFile> &m_files;
    TCorpusFile m_edited;
    TRunner &m_runner;
    TResult m_baseline;
    std::map<QString, std::map<TKey, TResult>> m_results;
};

} // namespace

int main(int argc, char **argv)
{
    // A child runs one operation and exits, without an application object,
    // so that its memory holds nothing the operation does not need.
    if (argc >= 5 && std::strcmp(argv[1], "--one") == 0) {
        return RunOneOperation(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                               QString::fromLocal8Bit(argv[4]),
                               argc >= 6 ? QString::fromLocal8Bit(argv[5]) : QString());
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillon-bench"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times loading, saving, sorting and searching INI files with the Quillon core and its "
        "peers, and comparing two with quillon-ini, and prints a markdown table of the medians."));
    parser.addHelpOption();
    const QCommandLineOption corpusOption(QStringLiteral("corpus"), QStringLiteral("Folder of the corpus."),
                                          QStringLiteral("dir"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Runs per measurement (5)."),
                                        QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption opsOption(
        QStringLiteral("ops"), QStringLiteral("Comma-separated operations: load,save,sort,search,edit,diff."),
        QStringLiteral("list"), QStringLiteral("load,save,sort,search,edit,diff"));
    const QCommandLineOption toolsOption(
        QStringLiteral("tools"),
        QStringLiteral(
            "Comma-separated peers besides ours: decode,ours-stream,ours-keep,ours-parts,inih,simpleini-a,"
            "simpleini-w,qsettings (default: all)."),
        QStringLiteral("list"));
    const QCommandLineOption localeOption(
        QStringLiteral("locale"),
        QStringLiteral("Locale of the children (default: the environment's, en_US.UTF-8 instead of C)."),
        QStringLiteral("name"));
    const QCommandLineOption saveDirOption(
        QStringLiteral("save-dir"),
        QStringLiteral("Folder the saves write to (default: the corpus folder, on its disk; a tmpfs "
                       "such as /dev/shm leaves out the disk)."),
        QStringLiteral("dir"));
    const QCommandLineOption defaultMallocOption(
        QStringLiteral("default-malloc"),
        QStringLiteral("Run the children with the allocator's default settings (by default they run with "
                       "GLIBC_TUNABLES=glibc.malloc.hugetlb=1, the huge pages the core asks for its big "
                       "buffers given to every measurement)."));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"),
                                           QStringLiteral("Show what children say."));
    parser.addOptions({corpusOption, runsOption, opsOption, toolsOption, localeOption, saveDirOption,
                       defaultMallocOption, verboseOption});
    parser.process(app);

    TOptions options;
    options.CorpusDir = parser.value(corpusOption);
    options.Runs = qMax(1, parser.value(runsOption).toInt());
    options.Operations = parser.value(opsOption).split(u',', Qt::SkipEmptyParts);
    options.ToolFilter = parser.value(toolsOption).split(u',', Qt::SkipEmptyParts);
    options.Locale = parser.value(localeOption);
    options.DefaultMalloc = parser.isSet(defaultMallocOption);
    options.Verbose = parser.isSet(verboseOption);
    if (options.CorpusDir.isEmpty()) {
        std::fprintf(stderr, "quillon-bench: --corpus DIR is required\n");
        return 2;
    }

    const std::optional<QList<TCorpusFile>> files = FindCorpus(options.CorpusDir);
    if (!files)
        return 1;
    TCorpusFile edited{EditedFile, QStringLiteral("section-1m.ini edited, the other side of diff"), {}, 0, 0};
    if (options.Operations.contains(u"diff") && !FindFile(options.CorpusDir, edited))
        return 1;
    const QString scratch =
        QDir(parser.isSet(saveDirOption) ? parser.value(saveDirOption) : options.CorpusDir)
            .absoluteFilePath(QStringLiteral("quillon-bench-scratch"));
    if (!QDir().mkpath(scratch)) {
        std::fprintf(stderr, "quillon-bench: cannot create %s\n", qPrintable(scratch));
        return 1;
    }

    const QString locale = ChildLocale(options.Locale);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), locale);
    environment.remove(QStringLiteral("LANGUAGE"));
    QString memory;
    if (options.DefaultMalloc) {
        memory = QStringLiteral("Children run with the allocator's default settings: the core advises huge "
                                "pages for its big buffers, the decode limit and the peers get none "
                                "(transparent huge pages: %1), so the load ratios are not like for like.")
                     .arg(HugePageMode());
    } else {
        // Added to any tunables the environment sets already.
        const QString tunables = environment.value(QStringLiteral("GLIBC_TUNABLES"));
        environment.insert(QStringLiteral("GLIBC_TUNABLES"),
                           tunables.isEmpty() ? HugePagesTunable : tunables + u':' + HugePagesTunable);
        memory = QStringLiteral("Every child runs with GLIBC_TUNABLES=%1 (transparent huge pages: %2): malloc "
                                "asks for huge pages for its memory as the core does for its big buffers, "
                                "so the decode limit, our load and the peers fault their memory in alike; "
                                "the tools of one table take turns run by run.")
                     .arg(environment.value(QStringLiteral("GLIBC_TUNABLES")), HugePageMode());
    }
    const QString loadAverages = LoadAverages();

    TRunner runner(options.Runs, scratch, environment, options.Verbose);
    TBenchmark benchmark(options, *files, edited, runner);
    benchmark.Run();
    QDir(scratch).removeRecursively();

    QTextStream(stdout) << benchmark.Report(locale, scratch, memory, loadAverages);
    return 0;
}
