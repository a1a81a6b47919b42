#include "art/AuraOverlayPainter.h"
#include "art/AuraRecipe.h"
#include "art/PortraitFormat.h"

#include <QGuiApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Every second pixel each way: the measures are averages over soft glows, so this loses nothing.
constexpr int Step = 2;

struct Lab {
    float l, a, b;
};

float linear(float c) {
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

float labCurve(float t) {
    return t > 0.008856f ? std::cbrt(t) : 7.787f * t + 16.0f / 116.0f;
}

Lab toLab(float red, float green, float blue) {
    const float r = linear(red / 255.0f);
    const float g = linear(green / 255.0f);
    const float b = linear(blue / 255.0f);
    const float x = labCurve((0.4124f * r + 0.3576f * g + 0.1805f * b) / 0.95047f);
    const float y = labCurve(0.2126f * r + 0.7152f * g + 0.0722f * b);
    const float z = labCurve((0.0193f * r + 0.1192f * g + 0.9505f * b) / 1.08883f);
    return {116.0f * y - 16.0f, 500.0f * (x - y), 200.0f * (y - z)};
}

float deltaE(const Lab& p, const Lab& q) {
    return std::sqrt((p.l - q.l) * (p.l - q.l) + (p.a - q.a) * (p.a - q.a) +
                     (p.b - q.b) * (p.b - q.b));
}

// How far a point lies out of the face oval, in units of its radii (below 1 is inside).
double ovalRadius(double x, double y, double grow) {
    const double dx = (x - 180.0) / (60.0 + grow);
    const double dy = (y - 190.0) / (80.0 + grow);
    return std::sqrt(dx * dx + dy * dy);
}

// A real face filling the oval is squarer at the jaw than the oval, and the neck sits below it.
bool jawOrNeck(double x, double y) {
    const bool jaw =
        x >= 122.0 && x <= 238.0 && y >= 200.0 && y <= 266.0 && ovalRadius(x, y, 0.0) >= 1.0 &&
        std::hypot(std::max(0.0, std::abs(x - 180.0) - 34.0), std::max(0.0, y - 242.0)) <= 24.0;
    const bool neck = std::abs(x - 180.0) <= 36.0 && y >= 262.0 && y <= 300.0;
    return jaw || neck;
}

struct Measured {
    int number = 0;
    std::vector<Lab> onGrey;
    std::vector<float> alpha;
    double visibility = 0.0;
    int faceAlpha = 0;
    int jawAlpha = 0;
    int darkNearFace = 0;
};

Measured measure(int number, const QImage& overlay) {
    Measured m;
    m.number = number;
    const Lab grey = toLab(128.0f, 128.0f, 128.0f);
    for (int y = 0; y < overlay.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(overlay.constScanLine(y));
        for (int x = 0; x < overlay.width(); ++x) {
            const QRgb p = line[x];
            const int a = qAlpha(p);
            const double px = x + 0.5;
            const double py = y + 0.5;
            if (ovalRadius(px, py, 0.0) < 1.0) {
                m.faceAlpha = std::max(m.faceAlpha, a);
            } else if (a > 0 && ovalRadius(px, py, 40.0) <= 1.0) {
                const Lab own =
                    toLab(qRed(p) * 255.0f / a, qGreen(p) * 255.0f / a, qBlue(p) * 255.0f / a);
                if (own.l < 20.0f) {
                    m.darkNearFace = std::max(m.darkNearFace, a);
                }
            }
            if (jawOrNeck(px, py)) {
                m.jawAlpha = std::max(m.jawAlpha, a);
            }
            if (x % Step == 0 && y % Step == 0) {
                const float under = 128.0f * (255 - a) / 255.0f;
                const Lab c = toLab(qRed(p) + under, qGreen(p) + under, qBlue(p) + under);
                m.onGrey.push_back(c);
                m.alpha.push_back(a / 255.0f);
                m.visibility += deltaE(c, grey);
            }
        }
    }
    m.visibility /= static_cast<double>(m.onGrey.size());
    return m;
}

double correlation(const std::vector<float>& p, const std::vector<float>& q) {
    const double n = static_cast<double>(p.size());
    double sp = 0, sq = 0, spp = 0, sqq = 0, spq = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        sp += p[i];
        sq += q[i];
        spp += p[i] * p[i];
        sqq += q[i] * q[i];
        spq += p[i] * q[i];
    }
    const double cov = spq - sp * sq / n;
    const double var = (spp - sp * sp / n) * (sqq - sq * sq / n);
    return var > 0.0 ? cov / std::sqrt(var) : 1.0;
}

template <typename T, typename Key>
std::string worst(std::vector<T> items, Key key, const char* unit) {
    std::sort(items.begin(), items.end(),
              [&](const T& p, const T& q) { return key(p).first < key(q).first; });
    std::string text;
    for (std::size_t i = 0; i < std::min<std::size_t>(items.size(), 8); ++i) {
        const auto [value, name] = key(items[i]);
        char entry[64];
        std::snprintf(entry, sizeof entry, " %s=%.2f%s", name.c_str(), value, unit);
        text += entry;
    }
    return text;
}

} // namespace

// A recipe change must not quietly give a portrait a faint, muddy or duplicate aura, or colour
// the face: every overlay is measured composited on mid-grey as a user would see it.
TEST(AuraArt, HundredOverlaysAreStrongDistinctAndKeepTheFaceClear) {
    const AuraOverlayPainter painter;
    std::vector<Measured> all;
    int effects = 0;
    for (int number = 1; number <= PortraitFormat::OverlayCount; ++number) {
        const AuraRecipe recipe = AuraRecipe::forIndex(number);
        effects += recipe.sparkles > 0 || recipe.rays > 0.0f ? 1 : 0;
        all.push_back(measure(number, painter.paint(recipe)));
    }
    const auto name = [](const Measured& m) { return std::to_string(m.number); };

    std::vector<Measured*> faint, face, jaw, dark;
    for (Measured& m : all) {
        if (m.visibility < 12.0)
            faint.push_back(&m);
        if (m.faceAlpha > 0)
            face.push_back(&m);
        if (m.jawAlpha > 20)
            jaw.push_back(&m);
        if (m.darkNearFace > 25)
            dark.push_back(&m);
    }
    EXPECT_TRUE(faint.empty())
        << faint.size() << " with mean dE on grey under 12:"
        << worst(
               faint, [&](Measured* m) { return std::pair(m->visibility, name(*m)); }, "");
    EXPECT_TRUE(face.empty())
        << face.size() << " with alpha inside the face oval:"
        << worst(
               face, [&](Measured* m) { return std::pair(-m->faceAlpha / 255.0, name(*m)); }, "");
    EXPECT_TRUE(jaw.empty())
        << jaw.size() << " with alpha over 0.08 on jaw or neck:"
        << worst(
               jaw, [&](Measured* m) { return std::pair(-m->jawAlpha / 255.0, name(*m)); }, "");
    EXPECT_TRUE(dark.empty()) << dark.size() << " with near-black over alpha 0.1 by the face:"
                              << worst(
                                     dark,
                                     [&](Measured* m) {
                                         return std::pair(-m->darkNearFace / 255.0, name(*m));
                                     },
                                     "");
    EXPECT_LE(effects, PortraitFormat::OverlayCount / 5) << "overlays with sparkles or rays";

    struct Pair {
        double difference;
        double shape;
        std::string names;
    };
    std::vector<Pair> pairs;
    for (std::size_t i = 0; i < all.size(); ++i) {
        for (std::size_t j = i + 1; j < all.size(); ++j) {
            double sum = 0.0;
            for (std::size_t k = 0; k < all[i].onGrey.size(); ++k) {
                sum += deltaE(all[i].onGrey[k], all[j].onGrey[k]);
            }
            pairs.push_back({sum / static_cast<double>(all[i].onGrey.size()),
                             correlation(all[i].alpha, all[j].alpha),
                             name(all[i]) + "/" + name(all[j])});
        }
    }
    std::vector<Pair> alike;
    std::copy_if(pairs.begin(), pairs.end(), std::back_inserter(alike),
                 [](const Pair& p) { return p.difference < 10.0; });
    EXPECT_TRUE(alike.empty())
        << alike.size() << " pairs with mean dE under 10:"
        << worst(
               alike, [](const Pair& p) { return std::pair(p.difference, p.names); }, "");
    std::vector<double> shapes;
    for (const Pair& p : pairs)
        shapes.push_back(p.shape);
    std::nth_element(shapes.begin(), shapes.begin() + shapes.size() / 2, shapes.end());
    const double median = shapes[shapes.size() / 2];
    EXPECT_LE(median, 0.7) << "median correlation of the alpha maps";

    const auto least = std::min_element(
        all.begin(), all.end(), [](auto& p, auto& q) { return p.visibility < q.visibility; });
    const auto closest = std::min_element(
        pairs.begin(), pairs.end(), [](auto& p, auto& q) { return p.difference < q.difference; });
    std::printf("weakest %s dE %.1f; closest pair %s dE %.1f; median shape correlation %.3f; "
                "%d with sparkles or rays\n",
                name(*least).c_str(), least->visibility, closest->names.c_str(),
                closest->difference, median, effects);
}

// The application paints auras at a photo's own placement; at the identity placement the
// painting must be the very overlay the build ships, or the two would drift apart.
TEST(AuraArt, IdentityPlacementReproducesTheShippedOverlays) {
    const AuraOverlayPainter placed(QSize(360, 480), QTransform());
    for (const int number : {1, 17, 58, 100}) {
        const QString file = QStringLiteral(VELMORA_TEST_RESOURCES "/%1.png").arg(number);
        const QImage shipped(file);
        ASSERT_FALSE(shipped.isNull()) << file.toStdString();
        EXPECT_EQ(placed.paint(AuraRecipe::forIndex(number)),
                  shipped.convertToFormat(QImage::Format_ARGB32_Premultiplied))
            << "overlay " << number;
    }
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
