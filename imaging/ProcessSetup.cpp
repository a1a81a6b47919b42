#include "imaging/ProcessSetup.h"

#include "imaging/Image.h"

#include <QCoreApplication>
#include <csignal>

namespace toolkit {

void configureProcess(const ApplicationIdentity& identity) {
    // A file-size limit must fail a write with EFBIG, which the album reports, rather than
    // end the process; set once here, before any thread can write.
    std::signal(SIGXFSZ, SIG_IGN);
    identity.record();
    QCoreApplication::setApplicationName(identity.name);
    QCoreApplication::setApplicationVersion(identity.version);
    Image::configureDecoding();
}

} // namespace toolkit
