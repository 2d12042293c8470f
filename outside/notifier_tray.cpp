// The notifier where notices come from an icon in the system tray
// (Windows): trayNotices.h. busAddress means nothing here.
#include <QIcon>
#include <QPixmap>

#include "notifier.h"
#include "trayNotices.h"

struct DesktopNotifier::Private {
    explicit Private(const QImage& icon) : notices(systemTray(), QIcon(QPixmap::fromImage(icon))) {}
    TrayNotices notices;
};

DesktopNotifier::DesktopNotifier(const QImage& icon, const QString&) : d_(std::make_unique<Private>(icon)) {}

DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::send(const Notice& notice, QWidget* window) { d_->notices.send(notice, window); }

void DesktopNotifier::end() { d_->notices.end(); }
