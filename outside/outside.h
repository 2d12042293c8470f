// Everything the windows ask of the world beyond themselves: dialogs, the
// desktop and its notifications, the clock, the folders and the network
// probe. The real
// program uses RealOutside; tests hand the windows a fake that records what
// was asked and answers at once, so nothing ever blocks on a modal dialog.
#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <memory>
#include <optional>
#include <string>

#include "basVesk.h"
#include "notifier.h"

class QDialog;
class QWidget;

class Outside {
public:
    virtual ~Outside() = default;

    enum class Answer { Yes, No, Cancel };

    // Message box titled with the application's name, OK button only; the
    // exclamation icon only when asked for.
    virtual void message(QWidget* parent, const QString& text, bool exclamation = false) = 0;
    // Yes, No and Cancel, no icon; Yes is the default button.
    virtual Answer askYesNoCancel(QWidget* parent, const QString& text) = 0;
    // Input box with OK and Cancel; Cancel gives no value.
    virtual std::optional<QString> inputBox(QWidget* parent, const QString& prompt,
                                            const QString& title, const QString& value) = 0;
    // Shows a dialog modally and returns its result (QDialog::exec).
    virtual int showModal(QDialog* dialog) = 0;
    // Opens a file or web address with the desktop's default application.
    virtual bool openUrl(const QUrl& url) = 0;
    // A desktop notification (notifier.h) about the host of window's
    // repeat; returns at once.
    virtual void notify(QWidget* window, const Notice& notice) = 0;
    // The repeat stopped or its entry changed: what stands for it on the
    // desktop goes (the tray icon on Windows).
    virtual void watchEnded() = 0;

    // Local date and time.
    virtual QDateTime now() = 0;
    // Folder of the executable, without a trailing separator.
    virtual QString programFolder() = 0;
    // Whether vesk may keep its files in the program's folder: the user can
    // write there and it is not a folder the program was installed to (on
    // Linux an install tree, on Windows the Program Files folders).
    virtual bool programFolderWritable() = 0;
    // The per-user data folder (~/.local/share/vesk, %APPDATA%\vesk); it need not
    // exist yet. Empty when the system names none.
    virtual QString userDataFolder() = 0;
    // Base name of the executable, without folder or extension.
    virtual QString programName() = 0;
    // Full path of the running executable, links resolved: the file that
    // a capability or a permission must be given to.
    virtual QString programPath() = 0;

    // The network probe (see basVesk.h).
    virtual basVesk::SocketNotice startSockets() = 0;
    virtual bool startSocketsQuiet() = 0;
    virtual basVesk::SocketNotice stopSockets() = 0;
    // One echo, waiting at most echoWaitMs().
    virtual void pingAddress(const std::string& address, basVesk::EchoReply& reply) = 0;
    virtual std::string socketProblem() = 0;
    virtual std::string hostToIp(const std::string& name) = 0;

    // The echo wait, 1 to basVesk::kEchoTimeoutMaxMs ms: the command line
    // sets it once at start.
    int echoWaitMs() const { return echoWaitMs_; }
    void setEchoWaitMs(int ms) { echoWaitMs_ = ms; }

    // Where vesk_ip.ini and the logs live.
    struct FilesFolder {
        QString path;
        // The per-user folder: made on the first write.
        bool perUser = false;
        // The program folder's list, when it exists but cannot be read and
        // so sent vesk to the per-user folder; empty otherwise.
        QString unreadableList;
    };
    // The program's folder when vesk may write there, so that a copy
    // unpacked anywhere keeps its files beside it; the per-user folder
    // otherwise. A list in the program's folder that cannot be read sends
    // vesk to the per-user folder too, so a save never replaces it.
    FilesFolder filesFolder();
    // Makes the folder when it is the per-user one; false when that fails.
    static bool makeFilesFolder(const FilesFolder& folder);

private:
    int echoWaitMs_ = basVesk::kEchoTimeoutMs;
};

// The real world: QMessageBox, QInputDialog, QDesktopServices, the
// DesktopNotifier, the system clock, QCoreApplication's paths,
// QStandardPaths and basVesk.
class RealOutside : public Outside {
public:
    void message(QWidget* parent, const QString& text, bool exclamation = false) override;
    Answer askYesNoCancel(QWidget* parent, const QString& text) override;
    std::optional<QString> inputBox(QWidget* parent, const QString& prompt, const QString& title,
                                    const QString& value) override;
    int showModal(QDialog* dialog) override;
    bool openUrl(const QUrl& url) override;
    void notify(QWidget* window, const Notice& notice) override;
    void watchEnded() override;
    QDateTime now() override;
    QString programFolder() override;
    QString programName() override;
    bool programFolderWritable() override;
    QString userDataFolder() override;
    QString programPath() override;
    basVesk::SocketNotice startSockets() override;
    bool startSocketsQuiet() override;
    basVesk::SocketNotice stopSockets() override;
    void pingAddress(const std::string& address, basVesk::EchoReply& reply) override;
    std::string socketProblem() override;
    std::string hostToIp(const std::string& name) override;

private:
    // Made with the first notice: a run that tells nothing never reaches
    // for the bus.
    std::unique_ptr<DesktopNotifier> notifier_;
};
