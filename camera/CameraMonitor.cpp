#include "camera/CameraMonitor.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <gst/gst.h>

namespace toolkit {

namespace {

// Runs on the thread that posts the message; the list is read again on the GUI thread.
GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer data) {
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type == GST_MESSAGE_DEVICE_ADDED || type == GST_MESSAGE_DEVICE_REMOVED) {
        auto* guard = static_cast<QPointer<CameraMonitor>*>(data);
        if (CameraMonitor* monitor = guard->data())
            QMetaObject::invokeMethod(monitor, "reread", Qt::QueuedConnection);
    }
    gst_message_unref(message);
    return GST_BUS_DROP;
}

} // namespace

CameraMonitor::CameraMonitor(QObject* parent) : QObject(parent) {
    if (!gst_init_check(nullptr, nullptr, nullptr))
        return;
    m_monitor = gst_device_monitor_new();
    gst_device_monitor_add_filter(m_monitor, "Video/Source", nullptr);
    GstBus* bus = gst_device_monitor_get_bus(m_monitor);
    gst_bus_set_sync_handler(bus, onBusMessage, new QPointer<CameraMonitor>(this),
                             [](gpointer p) { delete static_cast<QPointer<CameraMonitor>*>(p); });
    gst_object_unref(bus);
    gst_device_monitor_start(m_monitor);
    reread();
    // Once Qt's backend runs its own monitor on the same device providers, this one's bus
    // hears nothing more on GStreamer 1.22; reading the providers' list is cheap.
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &CameraMonitor::reread);
    poll->start(500);
}

CameraMonitor::~CameraMonitor() {
    if (!m_monitor)
        return;
    gst_device_monitor_stop(m_monitor);
    GstBus* bus = gst_device_monitor_get_bus(m_monitor);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(m_monitor);
}

void CameraMonitor::reread() {
    QStringList now;
    GList* devices = m_monitor ? gst_device_monitor_get_devices(m_monitor) : nullptr;
    for (GList* d = devices; d; d = d->next) {
        gchar* name = gst_device_get_display_name(GST_DEVICE(d->data));
        now.append(QString::fromUtf8(name));
        g_free(name);
    }
    g_list_free_full(devices, gst_object_unref);
    now.sort();
    if (now == m_cameras)
        return;
    m_cameras = now;
    emit changed();
}

} // namespace toolkit
