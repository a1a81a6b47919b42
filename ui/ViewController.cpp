#include "ui/ViewController.h"

namespace toolkit {

ViewController::ViewController(QObject* parent) : QObject(parent) {}

ViewController::~ViewController() {
    if (m_presenter && m_presenter->m_modal == this)
        m_presenter->m_modal = nullptr;
    if (m_modal && m_modal->m_presenter == this)
        m_modal->m_presenter = nullptr;
    delete m_view.data();
}

QWidget* ViewController::viewIn(QWidget* window) {
    if (!m_view)
        m_window = window;
    return view();
}

QWidget* ViewController::view() {
    if (!m_view) {
        m_view = loadView();
        if (m_window) {
            // A reload: the view goes back where the unloaded one was.
            if (m_view->parentWidget() != m_window)
                m_view->setParent(m_window);
            m_view->move(0, 0);
            m_view->setHidden(m_modal && m_modal->coversPresenter());
        }
        viewDidLoad();
    }
    return m_view;
}

void ViewController::didReceiveMemoryWarning() {
    const bool covered = m_modal && m_modal->coversPresenter();
    if (m_view && (covered || !m_view->window()->isVisible() || m_view->parentWidget() == nullptr))
        unloadView();
}

void ViewController::unloadView() {
    if (m_view && m_view->parentWidget())
        m_window = m_view->window();
    delete m_view.data();
    viewDidUnload();
}

void ViewController::presentModalViewController(ViewController* modal, bool /*animated*/) {
    if (!modal || m_modal)
        return;
    m_modal = modal;
    modal->m_presenter = this;
    QWidget* own = view();
    if (own->parentWidget())
        m_window = own->window();
    if (modal->coversPresenter() && m_window) {
        QWidget* page = modal->view();
        page->setParent(m_window);
        page->setGeometry(m_window->rect());
        page->show();
        page->raise();
        page->setFocus();
        own->hide();
    }
    modal->wasPresented();
}

void ViewController::dismissModalViewControllerAnimated(bool /*animated*/) {
    ViewController* modal = m_modal;
    if (!modal)
        return;
    m_modal = nullptr;
    modal->m_presenter = nullptr;
    if (modal->m_view && modal->coversPresenter())
        modal->m_view->hide();
    QWidget* own = view();
    own->show();
    own->raise();
    modal->wasDismissed();
}

} // namespace toolkit
