// A stand-in for the outside world in widget tests: dialogs answer at once
// from scripted answers and are recorded, the clock and folders are fixed,
// and the echo backend plays back scripted replies without waiting.
#pragma once

#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

#include "outside.h"

class FakeOutside : public Outside {
public:
    // ---- what was asked
    QStringList messages;               // texts of message boxes, in order
    std::vector<bool> exclamations;     // icon flag of each message box
    QStringList questions;              // texts of Yes/No/Cancel questions
    QStringList inputPrompts;           // prompts of input boxes
    QStringList inputTitles;
    QStringList inputValues;            // the answer filled in beforehand
    std::vector<QUrl> openedUrls;
    std::vector<Notice> notices;        // desktop notifications, in order
    QWidget* noticeWindow = nullptr;    // the window of the latest one
    std::vector<std::string> pingedAddresses;
    std::vector<std::string> lookedUpNames;
    int modalShown = 0;
    int folderAsked = 0;                // programFolder() calls
    int startCalls = 0, quietStartCalls = 0, stopCalls = 0, watchEnds = 0;

    // ---- scripted answers
    std::deque<Answer> answers;                       // default Yes
    std::deque<std::optional<QString>> inputAnswers;  // default: OK with the value
    std::deque<basVesk::EchoReply> replies;           // default: status 0, 1 ms
    basVesk::SocketNotice startNotice;                // default ok
    basVesk::SocketNotice stopNotice;
    bool quietStartResult = true;
    std::string problem;                              // socketProblem()
    std::function<std::string(const std::string&)> resolver = [](const std::string&) { return std::string(); };
    bool openResult = true;
    QDateTime clock = QDateTime(QDate(2026, 12, 6), QTime(8, 15, 8));
    QString folder;
    bool folderWritable = true;  // whether vesk may write the program's folder
    QString userFolder;          // the per-user data folder
    QString name = "vesk";
    QString path = "/opt/vesk/bin/vesk";
    // Runs inside a message box, while it would be open (e.g. a timer tick).
    std::function<void()> duringMessage;
    // Runs inside each echo exchange, while it would wait.
    std::function<void()> duringPing;
    // Runs while a modal dialog is "open"; the dialog is closed afterwards.
    std::function<void(QDialog*)> duringModal;
    // Shows modal dialogs with QDialog::exec, as the real program does:
    // duringModal then runs inside the dialog's own event loop, and the
    // dialog is closed after it unless it closed itself.
    bool execModal = false;

    void message(QWidget*, const QString& text, bool exclamation) override
    {
        messages << text;
        exclamations.push_back(exclamation);
        if (duringMessage) {
            auto once = std::move(duringMessage);
            duringMessage = nullptr;
            once();
        }
    }
    Answer askYesNoCancel(QWidget*, const QString& text) override
    {
        questions << text;
        if (answers.empty())
            return Answer::Yes;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<QString> inputBox(QWidget*, const QString& prompt, const QString& title,
                                    const QString& value) override
    {
        inputPrompts << prompt;
        inputTitles << title;
        inputValues << value;
        if (inputAnswers.empty())
            return value;
        // Taken apart rather than copied whole: g++ 12 warns about a copied
        // std::optional<QString> that "may be used uninitialized".
        const bool ok = inputAnswers.front().has_value();
        const QString answer = inputAnswers.front().value_or(QString());
        inputAnswers.pop_front();
        if (!ok)
            return std::nullopt;
        return answer;
    }
    int showModal(QDialog* dialog) override
    {
        ++modalShown;
        if (execModal) {
            QTimer::singleShot(0, dialog, [this, dialog] {
                if (duringModal)
                    duringModal(dialog);
                if (dialog->isVisible())
                    dialog->reject();
            });
            return dialog->exec();
        }
        dialog->open();
        if (duringModal)
            duringModal(dialog);
        const int result = dialog->result();
        dialog->close();
        return result;
    }
    bool openUrl(const QUrl& url) override
    {
        openedUrls.push_back(url);
        return openResult;
    }
    void notify(QWidget* window, const Notice& notice) override { noticeWindow = window, notices.push_back(notice); }
    void watchEnded() override { ++watchEnds; }
    QDateTime now() override { return clock; }
    QString programFolder() override
    {
        ++folderAsked;
        return folder;
    }
    QString programName() override { return name; }
    bool programFolderWritable() override { return folderWritable; }
    QString userDataFolder() override { return userFolder; }
    QString programPath() override { return path; }
    basVesk::SocketNotice startSockets() override
    {
        ++startCalls;
        return startNotice;
    }
    bool startSocketsQuiet() override
    {
        ++quietStartCalls;
        return quietStartResult;
    }
    basVesk::SocketNotice stopSockets() override
    {
        ++stopCalls;
        return stopNotice;
    }
    void pingAddress(const std::string& address, basVesk::EchoReply& reply) override
    {
        pingedAddresses.push_back(address);
        if (duringPing)
            duringPing();
        if (replies.empty()) {
            reply.Status = 0;
            reply.RoundTripTime = 1;
            return;
        }
        reply = replies.front();
        replies.pop_front();
    }
    std::string socketProblem() override { return problem; }
    std::string hostToIp(const std::string& name) override
    {
        lookedUpNames.push_back(name);
        return resolver(name);
    }
};

// The real outside world with its program's folder put elsewhere, for the
// rule that decides whether vesk keeps its files there.
class OutsideAt : public RealOutside {
public:
    explicit OutsideAt(QString folder) : folder_(std::move(folder)) {}
    QString programFolder() override { return folder_; }

private:
    QString folder_;
};
