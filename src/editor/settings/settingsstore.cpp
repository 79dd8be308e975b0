#include "settingsstore.h"

#include "kvconfig.h"
#include "kvfunctions.h"
#include "kvplainmessage.h"
#include "kvsearchoptions.h"
#include "kvstringrc.h"
#include "windowplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QtEndian>

#include <algorithm>

namespace {

const QString PlacementName = QStringLiteral("FormSettings");
const QString RecentPrefix = QStringLiteral("MRUPath");
const QString RecentHashPrefix = QStringLiteral("MRUHash");
const QString SearchPrefix = QStringLiteral("FindStr");

void WriteInt(char *record, int offset, qint32 value)
{
    qToLittleEndian(value, record + offset);
}

qint32 ReadInt(const char *record, int offset)
{
    return qFromLittleEndian<qint32>(record + offset);
}

// The flags of the search options in the order the settings keep them.
std::array<bool *, 8> Flags(TSearchStruct &options)
{
    return {&options.SectionNames, &options.SectionComments, &options.ItemNames,     &options.ItemValues,
            &options.ItemComments, &options.WholeWords,      &options.CaseSensitive, &options.Backwards};
}

QString StatusText(QSettings::Status status)
{
    return status == QSettings::FormatError
               ? QStringLiteral("The settings file is not in the expected format.")
               : QStringLiteral("The settings file cannot be written.");
}

QList<QRect> ScreenAreas()
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << screen->availableGeometry();
    return areas;
}

void CentreOnScreen(QWidget &form)
{
    const QScreen *screen = form.screen() ? form.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect place = SavedWindowPlace(form);
    place.moveTo(area.x() + (area.width() - place.width()) / 2,
                 area.y() + (area.height() - place.height()) / 2);
    RestoreWindowPlace(form, place);
}

int SectionListWidth(const QSplitter &lists)
{
    return lists.sizes().value(0);
}

void SetSectionListWidth(QSplitter &lists, int width)
{
    const QList<int> sizes = lists.sizes();
    int total = 0;
    for (int size : sizes)
        total += size;
    if (sizes.size() != 2 || total < 2)
        return;
    width = std::clamp(width, 1, total - 1);
    lists.setSizes({width, total - width});
}

} // namespace

// ---- The placement record ----------------------------------------------------------

QByteArray TKvPlacement::Encode() const
{
    QByteArray record(RecordSize, '\0');
    char *bytes = record.data();
    WriteInt(bytes, 0, Left);
    WriteInt(bytes, 4, Top);
    WriteInt(bytes, 8, Width);
    WriteInt(bytes, 12, Height);
    WriteInt(bytes, 16, SectionWidth);
    WriteInt(bytes, 20, ValuesOnly ? 1 : 0);
    for (int i = 0; i < 8; ++i)
        WriteInt(bytes, 24 + 4 * i, qint32(Colours[i]));
    return record; // bytes 56 to 63 are reserved and stay zero
}

std::optional<TKvPlacement> TKvPlacement::Decode(const QByteArray &record)
{
    if (record.size() != RecordSize)
        return std::nullopt;
    const char *bytes = record.constData();
    TKvPlacement placement;
    placement.Left = ReadInt(bytes, 0);
    placement.Top = ReadInt(bytes, 4);
    placement.Width = ReadInt(bytes, 8);
    placement.Height = ReadInt(bytes, 12);
    placement.SectionWidth = ReadInt(bytes, 16);
    placement.ValuesOnly = ReadInt(bytes, 20) != 0;
    for (int i = 0; i < 8; ++i)
        placement.Colours[i] = TColor(quint32(ReadInt(bytes, 24 + 4 * i)));
    return placement;
}

// ---- Recent files and search options -------------------------------------------------

bool ReadRecentFiles(QSettings &settings, TKvStringRC &list, QString *error)
{
    list.Strings.clear();
    for (int n = 0; n < TKvStringRC::MaxCount; ++n) {
        const QString name = RecentPrefix + QString::number(n);
        if (!settings.contains(name))
            break;
        const QString value = settings.value(name).toString();
        if (value.size() < 2) {
            if (error)
                *error = name + QStringLiteral(" holds no path followed by an encoding digit.");
            return false;
        }
        // Beside the path, whether the person chose "#" comments for the file ("1" or "0").
        const QVariant hash = settings.value(RecentHashPrefix + QString::number(n));
        std::optional<bool> hashComments;
        if (hash.isValid())
            hashComments = hash.toString() == QStringLiteral("1");
        list.Strings.append({value.chopped(1), value.back().unicode() - u'0', hashComments});
    }
    return true;
}

void WriteRecentFiles(QSettings &settings, const TKvStringRC &list)
{
    int n = 0;
    for (; n < std::min(list.Count(), int(TKvStringRC::MaxCount)); ++n) {
        const TKvStringRC::Entry &entry = list.Strings[n];
        settings.setValue(RecentPrefix + QString::number(n),
                          entry.Path + QString::number(entry.EncodingIndex));
        const QString hash = RecentHashPrefix + QString::number(n);
        if (entry.HashComments)
            settings.setValue(hash, *entry.HashComments ? QStringLiteral("1") : QStringLiteral("0"));
        else
            settings.remove(hash);
    }
    // Numbers left by an earlier, longer list would bring removed files back.
    for (; n < TKvStringRC::MaxCount; ++n) {
        settings.remove(RecentPrefix + QString::number(n));
        settings.remove(RecentHashPrefix + QString::number(n));
    }
}

void ReadSearchSettings(QSettings &settings, const QString &prefix, TSearchStruct &options)
{
    const QString bools = settings.value(prefix + QStringLiteral("Bools")).toString();
    if (bools.size() == 8) {
        const auto flags = Flags(options);
        for (int i = 0; i < 8; ++i)
            *flags[i] = CharToBool(bools[i]);
    }
    for (int n = 0; n < TSearchStruct::HistorySize; ++n) {
        const QString name = prefix + QString::number(n);
        if (!settings.contains(name))
            break;
        options.FindStr[n] = settings.value(name).toString();
    }
}

void WriteSearchSettings(QSettings &settings, const QString &prefix, const TSearchStruct &options)
{
    QString bools;
    for (const bool *flag : Flags(const_cast<TSearchStruct &>(options)))
        bools += BoolToChar(*flag);
    settings.setValue(prefix + QStringLiteral("Bools"), bools);
    int n = 0;
    for (; n < TSearchStruct::HistorySize && !options.FindStr[n].isEmpty(); ++n)
        settings.setValue(prefix + QString::number(n), options.FindStr[n]);
    for (; n < TSearchStruct::HistorySize; ++n)
        settings.remove(prefix + QString::number(n));
}

// ---- The window's place ---------------------------------------------------------------

QRect PlaceOnScreens(const QRect &window, const QList<QRect> &areas)
{
    if (areas.isEmpty())
        return window;
    // Visible enough to be grabbed and moved by the user.
    const int needWidth = std::min(window.width(), 48);
    const int needHeight = std::min(window.height(), 24);
    for (const QRect &area : areas) {
        const QRect seen = area.intersected(window);
        if (!seen.isEmpty() && seen.width() >= needWidth && seen.height() >= needHeight)
            return window;
    }
    auto distance = [&window](const QRect &area) {
        const QPoint centre = window.center();
        const int dx = std::max({area.left() - centre.x(), 0, centre.x() - area.right()});
        const int dy = std::max({area.top() - centre.y(), 0, centre.y() - area.bottom()});
        return qint64(dx) * dx + qint64(dy) * dy;
    };
    const QRect area = *std::min_element(areas.begin(), areas.end(), [&](const QRect &a, const QRect &b) {
        return distance(a) < distance(b);
    });
    const int width = std::min(window.width(), area.width());
    const int height = std::min(window.height(), area.height());
    const int left = std::clamp(window.left(), area.left(), area.right() + 1 - width);
    const int top = std::clamp(window.top(), area.top(), area.bottom() + 1 - height);
    return QRect(left, top, width, height);
}

// ---- Loading and saving ---------------------------------------------------------------

void LoadSettings(TKvSettingsTarget &target)
{
    QWidget &form = *target.Window;
    QSettings settings(KvConfig::CompanyName.toString(), KvConfig::AppName.toString());
    settings.setFallbacksEnabled(false);
    if (settings.status() != QSettings::NoError) {
        CentreOnScreen(form);
        target.ValuesOnly = false;
        return;
    }

    if (settings.contains(PlacementName)) {
        const std::optional<TKvPlacement> placement =
            TKvPlacement::Decode(settings.value(PlacementName).toByteArray());
        if (placement) {
            const QRect place = PlaceOnScreens(
                QRect(placement->Left, placement->Top, placement->Width, placement->Height), ScreenAreas());
            RestoreWindowPlace(form, place);
            SetSectionListWidth(*target.Lists, placement->SectionWidth);
            target.ValuesOnly = placement->ValuesOnly;
            target.Colours = placement->Colours;
        } else {
            ShowPlainMessage(PlacementName
                             + QStringLiteral("\r\nThe stored window placement is not 64 bytes long."));
        }
    } else {
        CentreOnScreen(form);
        target.ValuesOnly = false;
    }

    QString error;
    if (!ReadRecentFiles(settings, *target.RecentFiles, &error))
        ShowPlainMessage(RecentPrefix + QStringLiteral("\r\n") + error);

    ReadSearchSettings(settings, SearchPrefix, *target.Search);
}

void SaveSettings(const TKvSettingsTarget &target)
{
    const QWidget &form = *target.Window;
    QSettings settings(KvConfig::CompanyName.toString(), KvConfig::AppName.toString());
    settings.setFallbacksEnabled(false);
    if (settings.status() != QSettings::NoError)
        return; // a store that cannot be opened is not reported

    // Each block is flushed by itself so that a failure names its block.
    auto flush = [&settings](const QString &block) {
        settings.sync();
        if (settings.status() != QSettings::NoError)
            ShowPlainMessage(block + QStringLiteral(" \r\n") + StatusText(settings.status()));
    };

    TKvPlacement placement;
    const QRect place = SavedWindowPlace(form);
    placement.Left = place.x();
    placement.Top = place.y();
    placement.Width = place.width();
    placement.Height = place.height();
    placement.SectionWidth = SectionListWidth(*target.Lists);
    placement.ValuesOnly = target.ValuesOnly;
    placement.Colours = target.Colours;
    settings.setValue(PlacementName, placement.Encode());
    flush(PlacementName);

    WriteRecentFiles(settings, *target.RecentFiles);
    flush(RecentPrefix);

    WriteSearchSettings(settings, SearchPrefix, *target.Search);
    flush(SearchPrefix);
}
