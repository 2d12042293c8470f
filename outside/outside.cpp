#include "outside.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <limits>

void RealOutside::message(QWidget* parent, const QString& text, bool exclamation)
{
    QMessageBox box(exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                    QApplication::applicationName(), text, QMessageBox::Ok, parent);
    // A box that opens in the middle of a wait (a burst of pings under the
    // hourglass) waits for the user, and shows the normal pointer.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (waiting)
        QApplication::restoreOverrideCursor();
}

Outside::Answer RealOutside::askYesNoCancel(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

std::optional<QString> RealOutside::inputBox(QWidget* parent, const QString& prompt,
                                             const QString& title, const QString& value)
{
    QInputDialog box(parent);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    // Its line edit would cut the text at 32,767 characters without a word;
    // the whole of what the user gives is taken, and what was filled in
    // shows whole.
    if (auto* edit = box.findChild<QLineEdit*>())
        edit->setMaxLength(std::numeric_limits<int>::max());
    box.setTextValue(value);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

int RealOutside::showModal(QDialog* dialog) { return dialog->exec(); }

bool RealOutside::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

void RealOutside::notify(QWidget* window, const Notice& notice)
{
    // The program's icon, as main set it for every window.
    if (!notifier_)
        notifier_ = std::make_unique<DesktopNotifier>(QApplication::windowIcon().pixmap(32).toImage());
    notifier_->send(notice, window);
}

void RealOutside::watchEnded()
{
    if (notifier_)
        notifier_->end();
}

QDateTime RealOutside::now() { return QDateTime::currentDateTime(); }

QString RealOutside::programFolder() { return QCoreApplication::applicationDirPath(); }

QString RealOutside::programName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

#ifdef Q_OS_WIN

namespace {

// Windows keeps installed programs under the Program Files folders; there
// an administrator's writes land among the programs, and a user's may be
// sent to a virtual store that no other account sees.
bool underProgramFiles(const QString& folder)
{
    const QString path = QDir::cleanPath(folder) + u'/';
    for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
        const QString root = QDir::fromNativeSeparators(qEnvironmentVariable(name));
        if (!root.isEmpty() && path.startsWith(QDir::cleanPath(root) + u'/', Qt::CaseInsensitive))
            return true;
    }
    return false;
}

}  // namespace

bool RealOutside::programFolderWritable()
{
    const QString folder = programFolder();
    if (underProgramFiles(folder))
        return false;
    // Access lists decide on Windows, and Qt does not read them unless
    // asked; making a file is the one answer that cannot be wrong.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("vesk-write-check-XXXXXX")));
    return probe.open();
}

#else

bool RealOutside::programFolderWritable()
{
    const QDir folder(programFolder());
    // An installed vesk keeps nothing among the programs of its install
    // tree, whatever the prefix and even when run as root. The install
    // puts the menu entry beside it; a copy in the build folder or
    // unpacked anywhere has none, and keeps its files beside itself.
    if (QFileInfo::exists(folder.filePath(QStringLiteral(VESK_INSTALLED_MARK))))
        return false;
    // access(2) with W_OK: it knows read-only mounts and access lists too.
    const QFileInfo info(folder.path());
    return info.isDir() && info.isWritable();
}

#endif

QString RealOutside::userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString RealOutside::programPath()
{
    // setcap acts on the file itself and refuses a symbolic link.
    const QString path = QCoreApplication::applicationFilePath();
    const QString real = QFileInfo(path).canonicalFilePath();
    return QDir::toNativeSeparators(real.isEmpty() ? path : real);
}

basVesk::SocketNotice RealOutside::startSockets() { return basVesk::StartSockets(); }
bool RealOutside::startSocketsQuiet() { return basVesk::StartSocketsQuiet(); }
basVesk::SocketNotice RealOutside::stopSockets() { return basVesk::StopSockets(); }
void RealOutside::pingAddress(const std::string& address, basVesk::EchoReply& reply)
{
    basVesk::PingAddress(address, reply, echoWaitMs());
}
std::string RealOutside::socketProblem() { return basVesk::SocketProblem(); }
std::string RealOutside::hostToIp(const std::string& name) { return basVesk::HostToIp(name); }

// ------------------------------------------------------- the folder rule ---

Outside::FilesFolder Outside::filesFolder()
{
    const QString program = programFolder();
    FilesFolder chosen{program, false, QString()};
    const QString user = userDataFolder();
    // With no per-user folder there is nowhere else to go; the program's
    // folder it is, and a failed save says why.
    if (user.isEmpty())
        return chosen;
    if (programFolderWritable()) {
        const QString list = QDir(program).filePath(QStringLiteral("vesk_ip.ini"));
        QFile file(list);
        if (!QFileInfo(list).isFile() || file.open(QIODevice::ReadOnly))
            return chosen;
        chosen.unreadableList = list;
    }
    chosen.path = user;
    chosen.perUser = true;
    return chosen;
}

bool Outside::makeFilesFolder(const FilesFolder& folder)
{
    return !folder.perUser || QDir().mkpath(folder.path);
}
