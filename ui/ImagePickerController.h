#pragma once

#include "imaging/Image.h"
#include "imaging/ImageDecoder.h"
#include "ui/ViewController.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <memory>

namespace toolkit {

class FaceDetector;
class ImagePickerController;
class ImageView;
class CameraPage;

/// Where the picker takes its picture from; the values are fixed.
enum ImagePickerControllerSourceType {
    ImagePickerControllerSourceTypeCamera = 1,
    ImagePickerControllerSourceTypeSavedPhotosAlbum = 2,
};

/// The key under which the picker's result holds the unedited picture.
inline const QString ImagePickerControllerOriginalImage =
    QStringLiteral("UIImagePickerControllerOriginalImage");

using MediaInfo = QHash<QString, Image>;

/// Receives the picture the user took or chose.
class ImagePickerControllerDelegate {
public:
    virtual ~ImagePickerControllerDelegate() = default;
    virtual void imagePickerControllerDidFinishPickingMediaWithInfo(ImagePickerController* picker,
                                                                    const MediaInfo& info) = 0;
    /// The pick ended without a picture: the user cancelled, the file was refused or the
    /// camera failed. Called once the picker is dismissed; optional.
    virtual void imagePickerControllerDidCancel(ImagePickerController* /*picker*/) {}
};

/// Lets the user take a photo with the camera (a page inside the window: live view, the
/// overlay view's picture over it, shutter, cancel) or choose one from the album (the
/// desktop file chooser). A chosen file is read and decoded in the background while the
/// window says it is being opened (with a Cancel button); the delegate hears of it on the
/// main thread once it is ready. A file that cannot be decoded is refused in the picker with
/// a message naming the file and the reason. A pick that ends without a picture (cancel, a
/// refused file, a file abandoned for the next one) calls only the delegate's optional
/// cancel callback. The picker deletes itself once dismissed, abandoning a decode in
/// progress.
class ImagePickerController : public ViewController {
    Q_OBJECT

public:
    explicit ImagePickerController(QObject* parent = nullptr);
    ~ImagePickerController() override;

    void setDelegate(ImagePickerControllerDelegate* delegate) { m_delegate = delegate; }

    void setSourceType(int sourceType) { m_sourceType = sourceType; }

    /// The view whose picture is laid over the live camera view; the picker keeps one.
    void setCameraOverlayView(ImageView* view);

    /// Lets the camera page lay overlay `auraNumber` over the live view around the faces
    /// `detector` finds: the aura the photo taken will get.
    void setLiveAura(std::shared_ptr<const FaceDetector> detector, int auraNumber) {
        m_liveDetector = std::move(detector);
        m_liveAuraNumber = auraNumber;
    }

    /// The keys that choose a photo from the album instead, as the user reads them: the
    /// camera page suggests them when there is no camera to use.
    void setChoosePhotoShortcut(const QString& keys) { m_chooseShortcut = keys; }

    /// Whether the source can be used now (a camera must be plugged in).
    static bool isSourceTypeAvailable(int sourceType);

    /// The size at which picked files are decoded: the portrait's, which they are drawn at.
    static QSize decodeSize();

    /// Opens `path` for the album source without the chooser: once presented, the picker
    /// decodes it in the background and delivers it, or refuses it with the reason.
    void preselectFile(const QString& path);
    /// Whether a file is being opened: named before presenting, or chosen and being read
    /// and decoded now.
    bool isOpeningFile() const;

    /// What the window says when a photo cannot be used, for `reason`.
    static QString cannotUseText(const QString& reason);

    /// Delivers `picture` to the delegate as the picker's result (the camera page and the
    /// chooser end here).
    void finishPicking(const Image& picture);

signals:
    /// The chosen file was refused; `reason` names it and says why.
    void refused(const QString& reason);

protected:
    QWidget* loadView() override;
    bool coversPresenter() const override;
    void wasPresented() override;
    void wasDismissed() override;

private:
    void chooseFromAlbum();
    void openFile(const QString& path);
    void showOpening(const QString& path);
    void hideOpening();
    void cancelOpening();
    void refuse(const QString& reason);

    ImagePickerControllerDelegate* m_delegate = nullptr;
    int m_sourceType = ImagePickerControllerSourceTypeSavedPhotosAlbum;
    QPointer<ImageView> m_overlay;
    QPointer<CameraPage> m_page;
    QString m_chooseShortcut;
    std::shared_ptr<const FaceDetector> m_liveDetector;
    int m_liveAuraNumber = 0;
    QString m_preselected;
    ImageDecoder* m_decoder = nullptr;
    QPointer<QWidget> m_opening;
    bool m_finished = false;
};

} // namespace toolkit
