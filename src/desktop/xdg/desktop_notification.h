#pragma once

#include <QString>

namespace ovantic {

// Shows a notification through the desktop's notification service (org.freedesktop.Notifications)
// without waiting for an answer: without the service, or without a session bus, nothing shows.
void showDesktopNotification(const QString& summary, const QString& body);

}  // namespace ovantic
