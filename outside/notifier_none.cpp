// The notifier where vesk knows no notification service (Windows): the
// notices are dropped, and the window runs as it does on Linux.
#include "notifier.h"

struct DesktopNotifier::Private {};

DesktopNotifier::DesktopNotifier(const QImage&, const QString&) {}

DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::send(const Notice&) {}
