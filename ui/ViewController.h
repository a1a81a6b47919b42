#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace toolkit {

/// The controller of one screen's view. The view is loaded lazily from the controller's
/// layout, may be unloaded under memory pressure while a modal page covers it, and is then
/// loaded again, its elements created anew, the next time it is shown.
class ViewController : public QObject {
    Q_OBJECT

public:
    explicit ViewController(QObject* parent = nullptr);
    ~ViewController() override;

    /// The view, loaded (loadView, then viewDidLoad) if it is not loaded yet.
    QWidget* view();
    /// Loads the view straight into `window` (its parent from the start). A view moved into
    /// its window after loading is styled and polished over again, its whole tree.
    QWidget* viewIn(QWidget* window);
    bool isViewLoaded() const { return !m_view.isNull(); }

    /// Called once the layout has created the controller.
    virtual void awakeFromNib() {}
    /// Called on a memory warning. The base unloads the view when it is not in the
    /// window (a modal page covers it); subclasses call it first.
    virtual void didReceiveMemoryWarning();

    /// Lays `modal`'s view over this controller's view, inside the same window.
    void presentModalViewController(ViewController* modal, bool animated);
    /// Removes the modal page this controller presents and shows its own view again,
    /// loading it anew if it was unloaded.
    void dismissModalViewControllerAnimated(bool animated);
    /// The controller presented over this one, if any.
    ViewController* modalViewController() const { return m_modal; }
    /// The controller that presents this one, if any.
    ViewController* presentingViewController() const { return m_presenter; }

protected:
    /// Creates the view and binds the outlets to its elements.
    virtual QWidget* loadView() = 0;
    /// The parent loadView gives the view: the window it goes into, when known.
    QWidget* viewParent() const { return m_window; }
    /// Called each time the view has been loaded.
    virtual void viewDidLoad() {}
    /// Called after the view was unloaded.
    virtual void viewDidUnload() {}
    /// Whether presenting this controller covers its presenter's view. A page inside the
    /// window does; a separate dialog does not.
    virtual bool coversPresenter() const { return true; }
    /// Called when this controller has been presented.
    virtual void wasPresented() {}
    /// Called when this controller's presenter has dismissed it.
    virtual void wasDismissed() {}

private:
    void unloadView();

    QPointer<QWidget> m_view;
    QPointer<QWidget> m_window;
    ViewController* m_modal = nullptr;
    ViewController* m_presenter = nullptr;
};

} // namespace toolkit
