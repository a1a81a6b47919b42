#include "imaging/DecodeWorker.h"

// The decoding worker: the application starts it with its end of a socket as descriptor 3.
int main() {
    return toolkit::DecodeWorker::serve(3);
}
