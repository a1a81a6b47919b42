#include "imaging/HeifPlanes.h"

#include "imaging/HeifLibrary.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace toolkit {

namespace {

const HeifLibrary& lib() {
    return HeifLibrary::get();
}

// The mean sample of `channel` over each cell of `target` laid on it, in the channel's
// own units; empty when the picture has no such channel. Every sample is read once, so
// shrinking costs about as much as reading.
std::vector<float> cellMeans(const heif_image* image, heif_channel channel, QSize target) {
    int stride = 0;
    const uint8_t* data = lib().heif_image_get_plane_readonly(image, channel, &stride);
    const int width = lib().heif_image_get_width(image, channel);
    const int height = lib().heif_image_get_height(image, channel);
    if (!data || width < 1 || height < 1)
        return {};
    const bool wide = lib().heif_image_get_bits_per_pixel(image, channel) > 8;
    std::vector<float> means(size_t(target.width()) * size_t(target.height()));
    for (int ty = 0; ty < target.height(); ++ty) {
        const int y0 = int(qint64(ty) * height / target.height());
        const int y1 = qMax(y0 + 1, int(qint64(ty + 1) * height / target.height()));
        for (int tx = 0; tx < target.width(); ++tx) {
            const int x0 = int(qint64(tx) * width / target.width());
            const int x1 = qMax(x0 + 1, int(qint64(tx + 1) * width / target.width()));
            quint64 sum = 0;
            for (int y = y0; y < y1; ++y) {
                const uint8_t* row = data + qint64(y) * stride;
                if (wide) {
                    const auto* samples = reinterpret_cast<const quint16*>(row);
                    for (int x = x0; x < x1; ++x)
                        sum += samples[x];
                } else {
                    for (int x = x0; x < x1; ++x)
                        sum += row[x];
                }
            }
            means[size_t(ty) * size_t(target.width()) + size_t(tx)] =
                float(sum) / float(qint64(y1 - y0) * (x1 - x0));
        }
    }
    return means;
}

// The luma weights of red and blue for the matrix `matrix` names.
std::pair<float, float> lumaWeights(int matrix) {
    switch (matrix) {
    case heif_matrix_coefficients_ITU_R_BT_709_5:
        return {0.2126f, 0.0722f};
    case heif_matrix_coefficients_US_FCC_T47:
        return {0.30f, 0.11f};
    case heif_matrix_coefficients_SMPTE_240M:
        return {0.212f, 0.087f};
    case heif_matrix_coefficients_ITU_R_BT_2020_2_non_constant_luminance:
        return {0.2627f, 0.0593f};
    default:
        return {0.299f, 0.114f};
    }
}

} // namespace

QImage HeifPlanes::shrunkToRgb(const heif_image* image, const heif_image_handle* handle,
                               QSize target) {
    const heif_colorspace space = lib().heif_image_get_colorspace(image);
    const bool rgb = space == heif_colorspace_RGB;
    const std::vector<float> first =
        cellMeans(image, rgb ? heif_channel_R : heif_channel_Y, target);
    const std::vector<float> second =
        cellMeans(image, rgb ? heif_channel_G : heif_channel_Cb, target);
    const std::vector<float> third =
        cellMeans(image, rgb ? heif_channel_B : heif_channel_Cr, target);
    const std::vector<float> alpha = cellMeans(image, heif_channel_Alpha, target);
    const bool grey = space == heif_colorspace_monochrome;
    if (first.empty() || (!grey && (second.empty() || third.empty())))
        return QImage();
    auto top = [image](heif_channel channel) {
        return float((1 << lib().heif_image_get_bits_per_pixel_range(image, channel)) - 1);
    };
    const float firstTop = top(rgb ? heif_channel_R : heif_channel_Y);
    const float chromaTop = grey ? 1 : top(rgb ? heif_channel_G : heif_channel_Cb);
    const float alphaTop = alpha.empty() ? 1 : top(heif_channel_Alpha);

    int matrix = heif_matrix_coefficients_ITU_R_BT_601_6;
    bool fullRange = true;
    heif_color_profile_nclx* nclx = nullptr;
    const bool read =
        lib().heif_image_handle_get_nclx_color_profile(handle, &nclx).code == heif_error_Ok;
    if (read && nclx) {
        matrix = nclx->matrix_coefficients;
        fullRange = nclx->full_range_flag;
    }
    // libheif may hand back a profile with an error (one it could not finish reading): it is
    // the caller's either way.
    if (nclx)
        lib().heif_nclx_color_profile_free(nclx);
    const auto [kr, kb] = lumaWeights(matrix);
    // Limited range puts black at 16 and white at 235 (chroma 16 to 240), scaled to the depth.
    const float scale = (firstTop + 1) / 256;
    auto luma = [&](float y) {
        return fullRange ? y / firstTop : (y - 16 * scale) / (219 * scale);
    };
    auto chroma = [&](float c) {
        return fullRange ? c / chromaTop - 0.5f : (c - 128 * scale) / (224 * scale);
    };
    auto byte = [](float v) { return int(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };

    const bool premultiplied = lib().heif_image_handle_is_premultiplied_alpha(handle);
    QImage out(target, alpha.empty()   ? QImage::Format_RGB32
                       : premultiplied ? QImage::Format_ARGB32_Premultiplied
                                       : QImage::Format_ARGB32);
    if (out.isNull())
        return out;
    for (int y = 0; y < target.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < target.width(); ++x) {
            const size_t i = size_t(y) * size_t(target.width()) + size_t(x);
            float r, g, b;
            if (grey) {
                r = g = b = luma(first[i]);
            } else if (rgb || matrix == heif_matrix_coefficients_RGB_GBR) {
                // Planar RGB, or YCbCr planes that hold G, B and R as they are.
                const float p = first[i] / firstTop, q = second[i] / chromaTop,
                            t = third[i] / chromaTop;
                r = rgb ? p : t;
                g = rgb ? q : p;
                b = rgb ? t : q;
            } else {
                const float l = luma(first[i]), cb = chroma(second[i]), cr = chroma(third[i]);
                r = l + 2 * (1 - kr) * cr;
                b = l + 2 * (1 - kb) * cb;
                g = (l - kr * r - kb * b) / (1 - kr - kb);
            }
            const int a = alpha.empty() ? 255 : byte(alpha[i] / alphaTop);
            line[x] = qRgba(byte(r), byte(g), byte(b), a);
        }
    }
    return out.convertToFormat(alpha.empty() ? QImage::Format_RGB32
                                             : QImage::Format_ARGB32_Premultiplied);
}

} // namespace toolkit
