#include "settings/preferences.h"

#include "kvconfig.h"
#include "kvtextcodec.h"

#include <QSettings>

namespace {

const QString AnsiCodePageValue = QStringLiteral("AnsiCodePage");
const QString KeepLayoutValue = QStringLiteral("KeepLayout");
const QString HashCommentsValue = QStringLiteral("HashComments");

// A bool comes back as its text in a new process; anything else is off.
bool StoredBool(const QSettings &settings, const QString &name, bool unset)
{
    if (!settings.contains(name))
        return unset;
    const QVariant value = settings.value(name);
    return value.typeId() == QMetaType::Bool ? value.toBool()
                                             : value.toString() == u"true" || value.toString() == u"1";
}

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
    // Never stored (a first start): keep the layout, read "#" as other readers do.
    preferences.KeepLayout = StoredBool(settings, KeepLayoutValue, true);
    preferences.HashComments = StoredBool(settings, HashCommentsValue, false);
    return preferences;
}

void WritePreferences(QSettings &settings, const TKvPreferences &preferences)
{
    settings.setValue(AnsiCodePageValue, preferences.AnsiCodePage);
    settings.setValue(KeepLayoutValue, preferences.KeepLayout);
    settings.setValue(HashCommentsValue, preferences.HashComments);
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
