#include "settings/preferences.h"

#include "kvconfig.h"
#include "kvtextcodec.h"

#include <QSettings>

namespace {

const QString AnsiCodePageValue = QStringLiteral("AnsiCodePage");
const QString KeepLayoutValue = QStringLiteral("KeepLayout");

TKvPreferences &Current()
{
    static TKvPreferences preferences;
    return preferences;
}

} // namespace

TKvPreferences ReadPreferences(QSettings &settings)
{
    TKvPreferences preferences;
    const quint32 codePage = settings.value(AnsiCodePageValue, 0).toUInt();
    if (KvTextCodec::SelectableCodePages().contains(codePage))
        preferences.AnsiCodePage = codePage;
    // A bool comes back as its text in a new process; anything else is off.
    // Never stored (a first start), it is on.
    if (settings.contains(KeepLayoutValue)) {
        const QVariant keepLayout = settings.value(KeepLayoutValue);
        preferences.KeepLayout = keepLayout.typeId() == QMetaType::Bool
                                     ? keepLayout.toBool()
                                     : keepLayout.toString() == u"true" || keepLayout.toString() == u"1";
    }
    return preferences;
}

void WritePreferences(QSettings &settings, const TKvPreferences &preferences)
{
    settings.setValue(AnsiCodePageValue, preferences.AnsiCodePage);
    settings.setValue(KeepLayoutValue, preferences.KeepLayout);
}

TKvPreferences LoadPreferences()
{
    QSettings settings(KvConfig::CompanyName.toString(), KvConfig::AppName.toString());
    return ReadPreferences(settings);
}

void SavePreferences(const TKvPreferences &preferences)
{
    QSettings settings(KvConfig::CompanyName.toString(), KvConfig::AppName.toString());
    WritePreferences(settings, preferences);
}

void ApplyPreferences(const TKvPreferences &preferences)
{
    Current() = preferences;
    KvTextCodec::SetSystemAnsiCodePage(preferences.AnsiCodePage);
}

const TKvPreferences &CurrentPreferences()
{
    return Current();
}
