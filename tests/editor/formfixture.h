#pragma once
// Hooks that answer the window's questions and dialogs for the tests, and a
// window shown with an optional command-line file.

#include "dialogs/filedialogs.h"
#include "document/passwordprompt.h"
#include "form1.h"
#include "kvmsgbox.h"
#include "kvplainmessage.h"
#include "kvshell.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>

struct TFormFixture
{
    // Everything shown, as "caption|text" (plain messages as "plain|text").
    QStringList Messages;
    // The next answers of the message boxes; when none is queued, the first button.
    std::deque<TKvModalResult> Replies;
    // Dialogs run: "open" or "save:<file name>" (the open dialog's current file is not recorded).
    QStringList Dialogs;
    std::deque<std::optional<TKvFileChoice>> Choices;
    // Password prompts run: "warning" or "plain".
    QStringList Prompts;
    std::deque<std::optional<QString>> Passwords;

    void Install()
    {
        SetShellOpener([](const QUrl &) {});
        SetMsgBoxHook([this](const TKvMsgBoxRequest &request) {
            Messages << request.caption + u'|' + request.text;
            // No reply queued: Enter, which presses the default button.
            if (Replies.empty())
                return request.defaultButton != tmrNone ? request.defaultButton : request.buttons.first();
            const TKvModalResult reply = Replies.front();
            Replies.pop_front();
            return reply;
        });
        SetPlainMessageHandler([this](const QString &text) { Messages << QStringLiteral("plain|") + text; });
        SetFileDialogHook([this](TKvFileDialogKind kind, const QString &fileName) {
            Dialogs << (kind == TKvFileDialogKind::Open ? QStringLiteral("open")
                                                        : QStringLiteral("save:") + fileName);
            std::optional<TKvFileChoice> choice;
            if (!Choices.empty()) {
                choice = Choices.front();
                Choices.pop_front();
            }
            return choice;
        });
        SetPasswordHook([this](bool warning) {
            Prompts << (warning ? QStringLiteral("warning") : QStringLiteral("plain"));
            std::optional<QString> password;
            if (!Passwords.empty()) {
                password = Passwords.front();
                Passwords.pop_front();
            }
            return password;
        });
    }

    void Reset()
    {
        Messages.clear();
        Replies.clear();
        Dialogs.clear();
        Choices.clear();
        Prompts.clear();
        Passwords.clear();
    }
};

// Keeps the settings store of a test process apart from the user's; call
// before anything touches QSettings.
inline void IsolateSettings(const QTemporaryDir &dir)
{
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
}

inline void ClearSettings()
{
    QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Quillon"));
    settings.clear();
    settings.sync();
}

inline QString WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

inline QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A window shown with a file on its command line, after that file has opened.
inline std::unique_ptr<TForm1> ShowForm(const QString &path = QString())
{
    auto form = std::make_unique<TForm1>(path.isEmpty() ? QStringList() : QStringList{path});
    form->show();
    if (!QTest::qWaitFor([&] { return !form->LoadFileTimer->isActive(); }, 3000))
        return nullptr;
    QTest::qWait(1);
    return form;
}
