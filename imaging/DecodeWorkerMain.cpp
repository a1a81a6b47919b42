#include "imaging/DecodeWorker.h"

// The decoding worker: the application starts it with its end of a socket as descriptor 3
// and the family of decoders it is for as its argument.
int main(int argc, char** argv) {
    return toolkit::DecodeWorker::serve(3, argc > 1 ? QByteArray(argv[1]) : QByteArray());
}
