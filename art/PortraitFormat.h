#pragma once

// The portrait every part of the program works to: each photo is stretched to Width × Height
// and one of OverlayCount aura overlays ("1.png" onwards) is laid over it. The generator, the
// drawing library, the toolkit and the application all take these from here, so they cannot
// disagree. No Qt here: anything may include it.
struct PortraitFormat {
    static constexpr int Width = 360;
    static constexpr int Height = 480;
    static constexpr int OverlayCount = 100;
};
