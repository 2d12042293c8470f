#include "outside.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <limits>

void RealOutside::message(QWidget* parent, const QString& text, bool exclamation)
{
    QMessageBox box(exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                    QApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
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

QDateTime RealOutside::now() { return QDateTime::currentDateTime(); }

QString RealOutside::programFolder() { return QCoreApplication::applicationDirPath(); }

QString RealOutside::programName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

basVesk::SocketNotice RealOutside::startSockets() { return basVesk::StartSockets(); }
bool RealOutside::startSocketsQuiet() { return basVesk::StartSocketsQuiet(); }
basVesk::SocketNotice RealOutside::stopSockets() { return basVesk::StopSockets(); }
void RealOutside::pingAddress(const std::string& address, basVesk::EchoReply& reply)
{
    basVesk::PingAddress(address, reply);
}
std::string RealOutside::socketProblem() { return basVesk::SocketProblem(); }
std::string RealOutside::hostToIp(const std::string& name) { return basVesk::HostToIp(name); }
