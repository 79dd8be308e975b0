#pragma once

#include <QString>

// One measured operation of the benchmark. The driver runs each in a process
// of its own ("quillon-bench --one TOOL OPERATION FILE [OUTPUT]"), so the peak
// memory the process reports belongs to that operation alone.
//
// The child prints one line to standard output:
//   result SECONDS PEAK_KB CHECK OK NOTE
// SECONDS covers the operation only (not process start, not loading a file
// that a save, sort or search works on), PEAK_KB is the process's VmHWM (for
// quillon-ini, that of the tool's process, whose whole run is timed), CHECK
// a count that proves the work was done (entries read, characters scanned), OK
// 1 or 0, NOTE a word or two about a failure.
int RunOneOperation(const QString &tool, const QString &operation, const QString &file,
                    const QString &output);

// The tools and operations the child knows, for the driver and for --help.
namespace BenchTool {
inline const QString None = QStringLiteral("none");
inline const QString Decode = QStringLiteral("decode");
inline const QString Ours = QStringLiteral("ours");
inline const QString OursStream = QStringLiteral("ours-stream");
// Our save with KeepLayout: the lines of an unchanged file go out as read.
inline const QString OursKeep = QStringLiteral("ours-keep");
// Our load or save timed in its steps; the note says "step=seconds,...".
inline const QString OursParts = QStringLiteral("ours-parts");
inline const QString Inih = QStringLiteral("inih");
inline const QString SimpleIniA = QStringLiteral("simpleini-a");
inline const QString SimpleIniW = QStringLiteral("simpleini-w");
inline const QString Settings = QStringLiteral("qsettings");
// The command-line tool run as a whole process, as a person runs it.
inline const QString Cli = QStringLiteral("quillon-ini");
} // namespace BenchTool

namespace BenchOp {
inline const QString Load = QStringLiteral("load");
inline const QString Save = QStringLiteral("save");
inline const QString SortAscending = QStringLiteral("sort-asc");
inline const QString SortDescending = QStringLiteral("sort-desc");
inline const QString SortShuffled = QStringLiteral("sort-shuffled");
inline const QString Search = QStringLiteral("search");
// quillon-ini stats FILE, and quillon-ini diff FILE OTHER (OTHER given where
// the other operations take their output).
inline const QString Stats = QStringLiteral("stats");
inline const QString Diff = QStringLiteral("diff");
// SortAll(skName, ascending) of the whole document.
inline const QString SortAll = QStringLiteral("sort-all");
// The first single-entry changes of the biggest section after loading; the
// note says "step=seconds,...".
inline const QString FirstChange = QStringLiteral("first-change");
// Loading with KeepLayout, editing and saving: the peak memory of a session.
inline const QString EditAndSave = QStringLiteral("edit-save");
} // namespace BenchOp
