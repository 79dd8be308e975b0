// Writes the benchmark corpus: INI files of about 50 MB each that stress
// different parts of a reader, and an edited copy of one to compare with.
//
//   php-50mb.ini      the php.ini-production PHP ships, repeated until the file
//                     reaches 50 MB, every section name made unique by the copy
//                     number (mostly comments: the comment-heavy case)
//   section-1m.ini    one section of 1,000,000 lines
//                     "keyNNNNNNN = value number NNNNNNN ; note"
//   section-1m-edited.ini  the same with values changed and keys replaced,
//                     the other side of the comparison
//   sections-100k.ini 100,000 sections of 10 keys, with comment and blank lines
//
// Usage: quillon-bench-corpus --php-ini FILE --out DIR [--force]
// A file that already exists is kept unless --force is given. Each file is
// written under a temporary name and renamed, so an interrupted run never
// leaves a truncated file that a later run would take for a finished one.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t PhpTargetBytes = 50'000'000;

std::string ReadWholeFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Writes text to path through a temporary file in the same folder.
void WriteFileAtomically(const fs::path &path, const std::string &text)
{
    const fs::path temp = path.string() + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            throw std::runtime_error("cannot create " + temp.string());
        out.write(text.data(), std::streamsize(text.size()));
        out.flush();
        if (!out)
            throw std::runtime_error("cannot write " + temp.string());
    }
    fs::rename(temp, path);
}

// Splits text into lines, each keeping its line end.
std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    if (!lines.empty() && lines.back().back() != '\n')
        lines.back() += '\n';
    return lines;
}

// The position of the "]" closing a section header line, or npos when the
// line is no header (its first character other than blanks is not "[").
std::size_t HeaderClose(const std::string &line)
{
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] != '[')
        return std::string::npos;
    return line.find(']', first);
}

std::string MakePhpCorpus(const std::string &phpIni)
{
    const std::vector<std::string> lines = SplitLines(phpIni);
    std::string text;
    text.reserve(PhpTargetBytes + phpIni.size() * 2);
    char suffix[32];
    for (int copy = 1; text.size() < PhpTargetBytes; ++copy) {
        std::snprintf(suffix, sizeof suffix, " %04d", copy);
        for (const std::string &line : lines) {
            const std::size_t close = HeaderClose(line);
            if (close == std::string::npos) {
                text += line;
            } else {
                text.append(line, 0, close);
                text += suffix;
                text.append(line, close, std::string::npos);
            }
        }
    }
    return text;
}

// The edited copy is what a program that rewrote the file might leave: one
// value in a hundred changed, one key in a thousand replaced by a new one
// (so that the two files no longer hold the same names line for line).
std::string MakeOneSectionCorpus(bool edited)
{
    std::string text = "[main]\n";
    text.reserve(45'000'000);
    char line[96];
    for (int i = 0; i < 1'000'000; ++i) {
        int n = 0;
        if (edited && i % 1000 == 500)
            n = std::snprintf(line, sizeof line, "added%07d = new value %07d ; note\n", i, i);
        else if (edited && i % 100 == 7)
            n = std::snprintf(line, sizeof line, "key%07d = value number %07d, changed ; note\n", i, i);
        else
            n = std::snprintf(line, sizeof line, "key%07d = value number %07d ; note\n", i, i);
        text.append(line, std::size_t(n));
    }
    return text;
}

std::string MakeManySectionsCorpus()
{
    std::string text;
    text.reserve(60'000'000);
    char line[128];
    for (int s = 0; s < 100'000; ++s) {
        int n = std::snprintf(line, sizeof line, "[section%06d]\n; settings of group %06d\n", s, s);
        text.append(line, std::size_t(n));
        for (int k = 0; k < 10; ++k) {
            if (k == 5 && s % 4 == 0)
                text += "\n; the second half\n";
            if (k == 3)
                n = std::snprintf(line, sizeof line, "option%d = value %d of group %06d ; default\n", k, k,
                                  s);
            else
                n = std::snprintf(line, sizeof line, "option%d = value %d of group %06d\n", k, k, s);
            text.append(line, std::size_t(n));
        }
        text += '\n';
    }
    return text;
}

int Usage()
{
    std::cerr << "usage: quillon-bench-corpus --php-ini FILE --out DIR [--force]\n";
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    fs::path phpIni;
    fs::path outDir;
    bool force = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--php-ini" && i + 1 < argc)
            phpIni = argv[++i];
        else if (arg == "--out" && i + 1 < argc)
            outDir = argv[++i];
        else if (arg == "--force")
            force = true;
        else
            return Usage();
    }
    if (phpIni.empty() || outDir.empty())
        return Usage();

    try {
        fs::create_directories(outDir);
        struct Target
        {
            const char *name;
            std::string (*make)(const std::string &);
        };
        const Target targets[] = {
            {"php-50mb.ini", MakePhpCorpus},
            {"section-1m.ini", [](const std::string &) { return MakeOneSectionCorpus(false); }},
            {"section-1m-edited.ini", [](const std::string &) { return MakeOneSectionCorpus(true); }},
            {"sections-100k.ini", [](const std::string &) { return MakeManySectionsCorpus(); }},
        };
        std::string phpText;
        for (const Target &target : targets) {
            const fs::path path = outDir / target.name;
            if (!force && fs::exists(path)) {
                std::cerr << "keeping " << path.string() << "\n";
                continue;
            }
            if (phpText.empty())
                phpText = ReadWholeFile(phpIni);
            const std::string text = target.make(phpText);
            WriteFileAtomically(path, text);
            std::cerr << "wrote " << path.string() << " (" << text.size() << " bytes)\n";
        }
    } catch (const std::exception &error) {
        std::cerr << "quillon-bench-corpus: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
