#include "trayNotices.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstdio>

namespace {

class SystemTray : public Tray {
public:
    bool available() override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    void show(const QIcon& icon, const QString& toolTip) override
    {
        if (!icon_) {
            icon_ = std::make_unique<QSystemTrayIcon>();
            // Any button: a click is a click, and the icon has no menu.
            QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(), [this] { clicked(); });
            QObject::connect(icon_.get(), &QSystemTrayIcon::messageClicked, icon_.get(), [this] { clicked(); });
        }
        icon_->setIcon(icon);
        icon_->setToolTip(toolTip);
        icon_->show();
    }

    void showMessage(const QString& title, const QString& text, Notice::Kind kind) override
    {
        if (icon_)
            icon_->showMessage(title, text,
                               kind == Notice::Kind::Down ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
    }

    // Deleting it takes it out of the tray at once; a hidden one would
    // wait for the next event loop.
    void remove() override { icon_.reset(); }

private:
    std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace

std::unique_ptr<Tray> systemTray() { return std::make_unique<SystemTray>(); }

QString fittedText(const QString& text, int limit)
{
    if (text.size() <= limit)
        return text;
    // The end says what happened; the start which host.
    const qsizetype tail = (limit - 1) / 3;
    QString head = text.left(limit - 1 - tail);
    QString end = text.right(tail);
    // Half a character would show as a box.
    if (!head.isEmpty() && head.back().isHighSurrogate())
        head.chop(1);
    if (!end.isEmpty() && end.front().isLowSurrogate())
        end.remove(0, 1);
    return head + QChar(0x2026) + end;
}

TrayNotices::TrayNotices(std::unique_ptr<Tray> tray, const QIcon& programIcon)
    : tray_(std::move(tray)), programIcon_(programIcon)
{
    tray_->clicked = [this] { bringWindowUp(); };
    // A session that ends kills the program once this signal is through:
    // the icon goes first.
    if (QCoreApplication* app = QCoreApplication::instance())
        QObject::connect(app, &QCoreApplication::aboutToQuit, &context_, [this] { end(); });
}

TrayNotices::~TrayNotices() { end(); }

void TrayNotices::send(const Notice& notice, QWidget* window)
{
    // Asked each time: a desktop may bring its tray later.
    if (!tray_->available()) {
        if (!told_)
            std::fputs("vesk: desktop notifications are not shown: no system tray\n", stderr);
        told_ = true;
        return;
    }
    if (window != window_) {
        QObject::disconnect(iconChanged_);
        QObject::disconnect(titleChanged_);
        window_ = window;
        if (window) {
            // The icon follows the window's meter and caption while it stays.
            iconChanged_ = QObject::connect(window, &QWidget::windowIconChanged, &context_, [this] { showIcon(); });
            titleChanged_ = QObject::connect(window, &QWidget::windowTitleChanged, &context_, [this] { showIcon(); });
        }
    }
    showIcon();
    tray_->showMessage(fittedText(notice.summary, kTitleLimit), notice.body, notice.kind);
}

void TrayNotices::end()
{
    QObject::disconnect(iconChanged_);
    QObject::disconnect(titleChanged_);
    window_ = nullptr;
    if (shown_)
        tray_->remove();
    shown_.reset();
}

void TrayNotices::showIcon()
{
    const QIcon icon = window_ && !window_->windowIcon().isNull() ? window_->windowIcon() : programIcon_;
    const QString tip =
        fittedText(window_ ? window_->windowTitle() : QCoreApplication::applicationName(), kToolTipLimit);
    // Every ping sets the window's icon, mostly to the one it has.
    const std::pair shown{icon.cacheKey(), tip};
    if (shown_ == shown)
        return;
    shown_ = shown;
    tray_->show(icon, tip);
}

void TrayNotices::bringWindowUp()
{
    if (!window_)
        return;
    QWidget* top = window_->window();
    top->setWindowState(top->windowState() & ~Qt::WindowMinimized);
    top->show();
    top->raise();
    top->activateWindow();
}
