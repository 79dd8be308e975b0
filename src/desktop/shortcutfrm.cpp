#include "shortcutfrm.h"

#include "kvaccessiblecontrols.h"
#include "kvfunctions.h"
#include "kvimagelist.h"
#include "kvknownfolders.h"
#include "kvmsgbox.h"
#include "kvshelllink.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include <utility>

namespace {

constexpr int BrowseFileImage = 9;
constexpr int BrowseFolderImage = 28;
const QString LinkExtension = QStringLiteral(".desktop");

QString ChooseSaveFile(QWidget *parent, const QString &preset)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("SaveLnkDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("desktop"));
    dialog.setNameFilter(QStringLiteral("Shortcut Files (*.desktop)"));
    dialog.setSizeGripEnabled(true);
    dialog.selectFile(preset);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString ChooseFolder(QWidget *parent, const QString &preset)
{
    return QFileDialog::getExistingDirectory(parent, QString(), preset, QFileDialog::ShowDirsOnly);
}

TFrmShortcut::TKvPathChooser &SaveFileChooser()
{
    static TFrmShortcut::TKvPathChooser chooser = ChooseSaveFile;
    return chooser;
}

TFrmShortcut::TKvPathChooser &FolderChooser()
{
    static TFrmShortcut::TKvPathChooser chooser = ChooseFolder;
    return chooser;
}

// The file name of a path without its extension (from the last full stop of the name on).
QString BareFileName(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

bool IsExistingFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

TFrmShortcut::TKvPathChooser TFrmShortcut::SetSaveFileChooser(TKvPathChooser chooser)
{
    return std::exchange(SaveFileChooser(), chooser ? std::move(chooser) : TKvPathChooser(ChooseSaveFile));
}

TFrmShortcut::TKvPathChooser TFrmShortcut::SetFolderChooser(TKvPathChooser chooser)
{
    return std::exchange(FolderChooser(), chooser ? std::move(chooser) : TKvPathChooser(ChooseFolder));
}

TFrmShortcut::TFrmShortcut(const QString &documentPath, const TKvImageList *buttonImages, QWidget *parent)
    : TKvGradientDialog(parent, TitleAndMenuFlags)
    , m_documentPath(documentPath)
{
    setObjectName(QStringLiteral("FrmShortcut"));
    setWindowTitle(QStringLiteral("Create Shortcut"));
    QFont arial = font();
    arial.setFamily(QStringLiteral("Arial"));
    setFont(arial);
    SetDesignedClientSize(553, 308);

    auto place = [this](QWidget *widget, const char *name, int left, int top) {
        widget->setObjectName(QString::fromLatin1(name));
        widget->move(Scaled(left), Scaled(top));
    };
    auto picture = [&](int index, QStyle::StandardPixmap fallback) {
        if (buttonImages && buttonImages->IsValidIndex(index))
            return QIcon(QPixmap::fromImage(buttonImages->Image(index)));
        return style()->standardIcon(fallback);
    };

    Label1 = new QLabel(QStringLiteral("Shortcut Name:"), this);
    place(Label1, "Label1", 12, 14);
    EdShortcutName = new QLineEdit(BareFileName(documentPath), this);
    place(EdShortcutName, "EdShortcutName", 12, 41);
    EdShortcutName->setFixedWidth(Scaled(494));
    ButBrowseForFile = new QToolButton(this);
    place(ButBrowseForFile, "ButBrowseForFile", 512, 41);
    ButBrowseForFile->setIcon(picture(BrowseFileImage, QStyle::SP_DialogSaveButton));

    CbxDocuments = new QCheckBox(QStringLiteral("In the Document Folder"), this);
    place(CbxDocuments, "CbxDocuments", 36, 93);
    CbxDesktop = new QCheckBox(QStringLiteral("On the Desktop"), this);
    place(CbxDesktop, "CbxDesktop", 308, 93);
    CbxStartMenuQuillon = new QCheckBox(QStringLiteral("In the Start Menu \\ Quillon"), this);
    place(CbxStartMenuQuillon, "CbxStartMenuQuillon", 36, 136);
    CbxQuickLaunch = new QCheckBox(QStringLiteral("On Quick Launch"), this);
    place(CbxQuickLaunch, "CbxQuickLaunch", 308, 136);

    Label2 = new QLabel(QStringLiteral("Custom Directory:"), this);
    place(Label2, "Label2", 12, 180);
    EdCustomShortcut = new QLineEdit(this);
    place(EdCustomShortcut, "EdCustomShortcut", 12, 207);
    EdCustomShortcut->setFixedWidth(Scaled(494));
    ButBrowseFolder = new QToolButton(this);
    place(ButBrowseFolder, "ButBrowseFolder", 512, 207);
    ButBrowseFolder->setIcon(picture(BrowseFolderImage, QStyle::SP_DirOpenIcon));

    ButCancel = new QPushButton(QStringLiteral("Cancel"), this);
    place(ButCancel, "ButCancel", 339, 259);
    ButCancel->setFixedSize(Scaled(92), Scaled(29));
    ButCancel->setAutoDefault(false);
    ButCreate = new QPushButton(QStringLiteral("Create"), this);
    place(ButCreate, "ButCreate", 449, 259);
    ButCreate->setFixedSize(Scaled(92), Scaled(29));
    ButCreate->setDefault(true);
    ButCreate->setEnabled(false);

    for (QLabel *label : {Label1, Label2})
        label->adjustSize();
    KvLabelField(Label1, EdShortcutName);
    KvLabelField(Label2, EdCustomShortcut);
    // The browse buttons show only a picture.
    ButBrowseForFile->setToolTip(QStringLiteral("Choose the shortcut file"));
    ButBrowseForFile->setAccessibleName(ButBrowseForFile->toolTip());
    ButBrowseFolder->setToolTip(QStringLiteral("Choose the folder"));
    ButBrowseFolder->setAccessibleName(ButBrowseFolder->toolTip());
    for (QCheckBox *box : {CbxDocuments, CbxDesktop, CbxStartMenuQuillon, CbxQuickLaunch}) {
        box->adjustSize();
        connect(box, &QCheckBox::clicked, this, &TFrmShortcut::UpdateCreateEnabled);
    }
    connect(EdShortcutName, &QLineEdit::textChanged, this, &TFrmShortcut::UpdateCreateEnabled);
    connect(EdCustomShortcut, &QLineEdit::textChanged, this, &TFrmShortcut::UpdateCreateEnabled);
    connect(ButBrowseForFile, &QToolButton::clicked, this, &TFrmShortcut::ButBrowseForFileClick);
    connect(ButBrowseFolder, &QToolButton::clicked, this, &TFrmShortcut::ButBrowseFolderClick);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ButCreate, &QPushButton::clicked, this, &TFrmShortcut::ButCreateClick);
}

void TFrmShortcut::showEvent(QShowEvent *event)
{
    TKvGradientDialog::showEvent(event);
    const int side = EdShortcutName->height();
    ButBrowseForFile->setFixedSize(side, side);
    ButBrowseFolder->setFixedSize(side, side);
    ButCancel->setFixedHeight(side);
    ButCreate->setFixedHeight(side);
}

void TFrmShortcut::UpdateCreateEnabled()
{
    bool enabled = false;
    if (!EdShortcutName->text().isEmpty()) {
        enabled = CbxDocuments->isChecked() || CbxDesktop->isChecked() || CbxStartMenuQuillon->isChecked()
                  || CbxQuickLaunch->isChecked() || IsExistingFolder(EdCustomShortcut->text());
    }
    ButCreate->setEnabled(enabled);
}

void TFrmShortcut::ButBrowseForFileClick()
{
    const QString chosen = SaveFileChooser()(this, EdShortcutName->text());
    if (!chosen.isEmpty()) {
        const QFileInfo info(chosen);
        EdCustomShortcut->setText(AddTrailingBackslash(info.absolutePath()));
        EdShortcutName->setText(BareFileName(chosen));
    }
    UpdateCreateEnabled();
}

void TFrmShortcut::ButBrowseFolderClick()
{
    const QString chosen = FolderChooser()(this, EdCustomShortcut->text());
    if (!chosen.isEmpty())
        EdCustomShortcut->setText(chosen);
    EdCustomShortcut->setCursorPosition(int(EdCustomShortcut->text().size()));
}

void TFrmShortcut::CreateIn(const QString &folder, const QString &name)
{
    ++m_attempts;
    // A folder that cannot be found is a failure: the bare name would land in
    // whatever the current folder happens to be.
    const QString base = folder.isEmpty() ? name : AddTrailingBackslash(folder) + name;
    const QString file = UniqueLinkName(base, LinkExtension);
    TKvShellLink link;
    link.Target = QCoreApplication::applicationFilePath();
    link.Arguments = m_documentPath;
    link.Name = name;
    link.Description = QStringLiteral("Shortcut to ") + name;
    link.IconPath = LauncherIconPath();
    if (!folder.isEmpty() && !CreateShellLink(link, file).isEmpty())
        m_created << file;
    else
        m_errors << file;
}

void TFrmShortcut::ButCreateClick()
{
    const QString name = EdShortcutName->text();
    m_created.clear();
    m_errors.clear();
    m_attempts = 0;

    if (CbxDesktop->isChecked())
        CreateIn(KnownFolderPath(TKvKnownFolder::Desktop), name);
    if (CbxDocuments->isChecked())
        CreateIn(KnownFolderPath(TKvKnownFolder::Documents), name);
    if (CbxStartMenuQuillon->isChecked()) {
        const QString menu = KnownFolderPath(TKvKnownFolder::StartMenu);
        const QString folder = menu.isEmpty() ? QString() : menu + QStringLiteral("Quillon");
        // The menu folder itself may not exist yet in a fresh home.
        if (folder.isEmpty() || !(QFileInfo(folder).isDir() || QDir().mkpath(folder))) {
            ++m_attempts;
            m_errors << (folder.isEmpty() ? QStringLiteral("Quillon") : folder);
        } else {
            CreateIn(folder, name);
        }
    }
    if (CbxQuickLaunch->isChecked())
        CreateIn(KnownFolderPath(TKvKnownFolder::QuickLaunch), name);
    if (IsExistingFolder(EdCustomShortcut->text()))
        CreateIn(EdCustomShortcut->text(), name);

    if (m_errors.isEmpty()) {
        accept();
        return;
    }
    const QString heading = m_errors.size() == 1 ? QStringLiteral("Could Not Create this ShortcutFile")
                                                 : QStringLiteral("Could Not Create these ShortcutFiles");
    ErrorBox(QStringLiteral("File Error"),
             heading + QStringLiteral("\r\n\r\n") + m_errors.join(QStringLiteral("\r\n")), this);
    if (m_errors.size() == m_attempts)
        reject();
    else
        accept();
}
