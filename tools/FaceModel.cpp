// Writes the frontal face detector in dlib's own serialised form, in two parts: first its
// filter for faces looking at the camera alone, then the whole detector. Building the
// detector from the model compiled into the library takes over a second (it decompresses the
// model and separates every filter); reading the first part back takes a few milliseconds,
// and the whole only when the first finds no face.

#include <dlib/image_processing/frontal_face_detector.h>
#include <dlib/serialize.h>

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora-face-model FILE\n");
        return 2;
    }
    const std::string path = argv[1];
    const std::string temporary = path + ".new";
    try {
        dlib::frontal_face_detector detector = dlib::get_frontal_face_detector();
        dlib::frontal_face_detector facing(detector.get_scanner(), detector.get_overlap_tester(),
                                           detector.get_w(0));
        dlib::serialize(temporary) << facing << detector;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velmora-face-model: %s: %s\n", temporary.c_str(), error.what());
        std::remove(temporary.c_str());
        return 1;
    }
    // A build stopped half-way leaves no half-written model under the real name.
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::perror(("velmora-face-model: " + path).c_str());
        return 1;
    }
    return 0;
}
