#pragma once

#include "camera/CameraSource.h"
#include "ui/PickerPlatform.h"

#include <QMetaObject>
#include <QPointer>

/// A camera that shows frames the test hands it and "captures" the last one.
class FakeCameraSource : public toolkit::CameraSource {
public:
    bool running = false;
    QImage lastFrame;

    void start() override { running = true; }
    void stop() override { running = false; }
    void capture() override {
        if (lastFrame.isNull())
            emit failed(QStringLiteral("no frame yet"));
        else
            emit captured(lastFrame);
    }
    void feed(const QImage& frame) {
        lastFrame = frame;
        emit previewFrame(frame);
    }
};

/// A picker platform whose chooser answers with a path the test set (empty: cancel) and
/// whose camera is a FakeCameraSource when `cameraPresent` is set.
class FakePickerPlatform : public toolkit::PickerPlatform {
public:
    QString nextChoice;
    int chooserOpened = 0;
    bool cameraPresent = true;
    QPointer<FakeCameraSource> camera;

    void chooseFile(QWidget*, const QString&, std::function<void(const QString&)> chosen) override {
        ++chooserOpened;
        // The real chooser answers later, from the event loop; so does this one.
        QMetaObject::invokeMethod(
            this, [chosen, path = nextChoice] { chosen(path); }, Qt::QueuedConnection);
    }
    bool hasCamera() const override { return cameraPresent; }
    std::unique_ptr<toolkit::CameraSource> openCamera(const QString&) override {
        if (!cameraPresent)
            return nullptr;
        auto source = std::make_unique<FakeCameraSource>();
        camera = source.get();
        return source;
    }
    void setCameraPresent(bool present) {
        cameraPresent = present;
        emit camerasChanged();
    }

private:
    // In use from its making to its end, whatever the test does in between.
    toolkit::PickerPlatform::Scope m_inUse{this};
};
