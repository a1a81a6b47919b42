#include "art/AuraBlend.h"
#include "art/AuraColourMeasure.h"
#include "art/AuraColourTable.h"
#include "art/AuraOverlayPainter.h"
#include "art/AuraRecipe.h"
#include "art/DistanceField.h"
#include "art/PortraitFormat.h"
#include "art/PortraitGeometry.h"

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
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
    double fade = 0.0;     // alpha just outside the outline over alpha 130 px farther out
    double flat = 0.0;     // share of the glow at (within a few levels of) its densest
    double mud = 0.0;      // share of the visible glow that is soot, brown or grey-dark
    double intoBody = 0.0; // alpha a little inside the shoulders over alpha on their edge
};

const DistanceField& outline() {
    static const DistanceField field(PortraitGeometry::silhouette(), PortraitFormat::Width,
                                     PortraitFormat::Height);
    return field;
}

Measured measure(int number, const QImage& overlay) {
    Measured m;
    m.number = number;
    const Lab grey = toLab(128.0f, 128.0f, 128.0f);
    // As the portrait lays it: over mid-grey, through the portrait's own blend.
    QImage composite(overlay.size(), QImage::Format_ARGB32_Premultiplied);
    composite.fill(QColor(128, 128, 128));
    AuraBlend::apply(composite, overlay);
    const DistanceField& field = outline();
    int peak = 0;
    for (int y = 0; y < overlay.height(); ++y)
        for (int x = 0; x < overlay.width(); ++x)
            peak = std::max(peak, qAlpha(overlay.pixel(x, y)));
    double edge = 0, inside = 0;
    int edgeCount = 0, insideCount = 0, glow = 0, flat = 0, visible = 0, mud = 0;
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
            const float d = field.at(x, y);
            if (y > 330 && d >= 0 && d < 8)
                edge += a, ++edgeCount;
            if (y > 330 && d >= -18 && d < -10)
                inside += a, ++insideCount;
            if (a > 25) {
                ++glow;
                flat += a >= peak - 6 ? 1 : 0;
            }
            if (a > 51) {
                ++visible;
                const QRgb own = qRgb(qRed(p) * 255 / a, qGreen(p) * 255 / a, qBlue(p) * 255 / a);
                const Lab l = toLab(qRed(own), qGreen(own), qBlue(own));
                const auto colour = AuraColourMeasure::nearest(own);
                const bool grim = colour == AuraPalette::Black || colour == AuraPalette::Brown ||
                                  (std::hypot(l.a, l.b) < 10.0f && l.l < 60.0f);
                mud += grim ? 1 : 0;
            }
            if (x % Step == 0 && y % Step == 0) {
                const QRgb c = composite.pixel(x, y);
                const Lab l = toLab(qRed(c), qGreen(c), qBlue(c));
                m.onGrey.push_back(l);
                m.alpha.push_back(a / 255.0f);
                m.visibility += deltaE(l, grey);
            }
        }
    }
    m.visibility /= static_cast<double>(m.onGrey.size());
    // Along rays from the aura's centre: the glow just outside the outline against the same
    // ray's glow 130 px farther out, wherever the frame reaches that far.
    const QPointF centre = PortraitGeometry::auraCentre();
    double near = 0, far = 0;
    for (double t = -2.6; t <= 2.6; t += 0.04) {
        double nearSum = 0, farSum = 0;
        int nearCount = 0, farCount = 0;
        for (double r = 0; r < 700; r += 1) {
            const int x = int(centre.x() + std::sin(t) * r);
            const int y = int(centre.y() - std::cos(t) * r);
            if (x < 0 || y < 0 || x >= overlay.width() || y >= overlay.height())
                break;
            const float d = field.at(x, y);
            const int a = qAlpha(overlay.pixel(x, y));
            if (d >= 4 && d < 24)
                nearSum += a, ++nearCount;
            if (d >= 134 && d < 154)
                farSum += a, ++farCount;
        }
        if (nearCount > 0 && farCount > 0)
            near += nearSum / nearCount, far += farSum / farCount;
    }
    m.fade = near / std::max(far, 1.0);
    m.flat = glow ? double(flat) / glow : 0.0;
    m.mud = visible ? double(mud) / visible : 0.0;
    // Only where the glow lies along the shoulders at all.
    m.intoBody = edgeCount && edge / edgeCount > 10.0
                     ? (inside / std::max(insideCount, 1)) / (edge / edgeCount)
                     : 1.0;
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
    for (int number = 1; number <= PortraitFormat::OverlayCount; ++number)
        all.push_back(measure(number, painter.paint(AuraRecipe::forIndex(number))));
    const auto name = [](const Measured& m) { return std::to_string(m.number); };

    std::vector<Measured*> faint, face, jaw, dark, fading, flat, muddy, rimmed;
    for (Measured& m : all) {
        if (m.fade < 1.5)
            fading.push_back(&m);
        if (m.flat > 0.25)
            flat.push_back(&m);
        if (m.mud > 0.3)
            muddy.push_back(&m);
        if (m.intoBody < 0.35)
            rimmed.push_back(&m);
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
    EXPECT_TRUE(fading.empty()) << fading.size() << " that fade outward by less than 1.5 times:"
                                << worst(
                                       fading,
                                       [&](Measured* m) { return std::pair(m->fade, name(*m)); },
                                       "x");
    EXPECT_TRUE(flat.empty()) << flat.size()
                              << " flooded flat over more than a quarter of their glow:"
                              << worst(
                                     flat,
                                     [&](Measured* m) { return std::pair(-m->flat, name(*m)); },
                                     "");
    EXPECT_TRUE(muddy.empty()) << muddy.size()
                               << " with more than 0.3 of their glow soot, brown or grey:"
                               << worst(
                                      muddy,
                                      [&](Measured* m) { return std::pair(-m->mud, name(*m)); },
                                      "");
    EXPECT_TRUE(rimmed.empty())
        << rimmed.size() << " whose glow stops at the shoulders' outline, drawing a line:"
        << worst(
               rimmed, [&](Measured* m) { return std::pair(m->intoBody, name(*m)); }, "");

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
    std::vector<Pair> alike, sameShape;
    std::copy_if(pairs.begin(), pairs.end(), std::back_inserter(alike),
                 [](const Pair& p) { return p.difference < 10.0; });
    std::copy_if(pairs.begin(), pairs.end(), std::back_inserter(sameShape),
                 [](const Pair& p) { return p.shape > 0.95; });
    EXPECT_TRUE(alike.empty())
        << alike.size() << " pairs with mean dE under 10:"
        << worst(
               alike, [](const Pair& p) { return std::pair(p.difference, p.names); }, "");
    EXPECT_TRUE(sameShape.empty())
        << sameShape.size() << " pairs whose glows have the same shape (correlation > 0.95):"
        << worst(
               sameShape, [](const Pair& p) { return std::pair(-p.shape, p.names); }, "");
    std::vector<double> shapes;
    for (const Pair& p : pairs)
        shapes.push_back(p.shape);
    std::nth_element(shapes.begin(), shapes.begin() + shapes.size() / 2, shapes.end());
    const double median = shapes[shapes.size() / 2];

    const auto least = std::min_element(
        all.begin(), all.end(), [](auto& p, auto& q) { return p.visibility < q.visibility; });
    const auto closest = std::min_element(
        pairs.begin(), pairs.end(), [](auto& p, auto& q) { return p.difference < q.difference; });
    std::printf("weakest %s dE %.1f; closest pair %s dE %.1f; median shape correlation %.3f\n",
                name(*least).c_str(), least->visibility, closest->names.c_str(),
                closest->difference, median);
}

// The reading tells a person the colours their aura shows and where: each colour an overlay
// names is plainly there (at least 0.15 of its visible glow), no other colour is, and the
// table the application reads says the same colours in the same places.
TEST(AuraArt, TheNamedColoursAreTheOnesThatShowAndTheTableSaysSo) {
    QFile file(QStringLiteral(VELMORA_TEST_RESOURCES "/auras.tsv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "no colour table";
    QString error;
    const auto table = AuraColourTable::fromText(file.readAll(), &error);
    ASSERT_TRUE(table) << error.toStdString();
    const AuraOverlayPainter painter;
    std::vector<bool> seen(AuraPalette::Count, false);
    for (int number = 1; number <= PortraitFormat::OverlayCount; ++number) {
        SCOPED_TRACE(number);
        const AuraRecipe recipe = AuraRecipe::forIndex(number);
        const QList<double> shares = AuraColourMeasure::shares(painter.paint(recipe));
        const auto named = recipe.named();
        for (int c = 0; c < AuraPalette::Count; ++c) {
            const auto colour = static_cast<AuraPalette::Colour>(c);
            const bool isNamed = std::any_of(named.begin(), named.end(),
                                             [&](const auto& n) { return n.colour == colour; });
            const std::string what = AuraColourTable::colourName(colour).toStdString();
            if (isNamed)
                EXPECT_GE(shares[c], AuraColourMeasure::kNamedShare) << what << " hardly shows";
            else
                EXPECT_LT(shares[c], AuraColourMeasure::kNamedShare) << what << " shows, unnamed";
        }
        const QList<AuraColourTable::Entry> listed = table->colours(number);
        ASSERT_EQ(listed.size(), qsizetype(named.size()));
        for (const auto& n : named) {
            seen[std::size_t(n.colour)] = true;
            const auto entry = std::find_if(listed.begin(), listed.end(),
                                            [&](const auto& e) { return e.colour == n.colour; });
            ASSERT_NE(entry, listed.end())
                << AuraColourTable::colourName(n.colour).toStdString() << " not in the table";
            EXPECT_EQ(entry->place, n.place)
                << AuraColourTable::colourName(n.colour).toStdString() << " is elsewhere";
        }
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](bool s) { return s; }))
        << "some of the sixteen colours are in no overlay";
}

// The application paints auras at a photo's own placement, or resamples the shipped wide
// glows; at the identity placement the painting must be the very overlay the build ships,
// and the wide glows the ones the painter makes, or the two would drift apart.
TEST(AuraArt, IdentityPlacementReproducesTheShippedOverlays) {
    const AuraOverlayPainter placed(QSize(360, 480), QTransform());
    for (const int number : {1, 17, 58, 100}) {
        const QString file = QStringLiteral(VELMORA_TEST_RESOURCES "/%1.png").arg(number);
        const QImage shipped(file);
        ASSERT_FALSE(shipped.isNull()) << file.toStdString();
        const AuraRecipe recipe = AuraRecipe::forIndex(number);
        EXPECT_EQ(placed.paint(recipe),
                  shipped.convertToFormat(QImage::Format_ARGB32_Premultiplied))
            << "overlay " << number;
        const QImage wide(QStringLiteral(VELMORA_TEST_RESOURCES "/glow-%1.png").arg(number));
        EXPECT_EQ(AuraOverlayPainter::paintWideGlow(recipe),
                  wide.convertToFormat(QImage::Format_ARGB32_Premultiplied))
            << "wide glow " << number;
    }
}

// Not a check: after a change to the painting, run by hand
// (--gtest_also_run_disabled_tests) to find again the drawing of each overlay that meets the
// measures above with a margin, and paste the table it prints into the recipes.
TEST(AuraArt, DISABLED_FindTheDrawingsThatMeetTheMeasures) {
    const AuraOverlayPainter painter;
    auto flawless = [&](int number, int drawing, Measured& m) {
        const AuraRecipe recipe = AuraRecipe::drawn(number, drawing);
        const QImage overlay = painter.paint(recipe);
        m = measure(number, overlay);
        bool good = m.fade >= 1.55 && m.flat <= 0.24 && m.mud <= 0.28 && m.intoBody >= 0.37 &&
                    m.visibility >= 12.3 && m.faceAlpha == 0 && m.jawAlpha <= 18 &&
                    m.darkNearFace <= 23;
        const QList<double> shares = AuraColourMeasure::shares(overlay);
        const QList<AuraColourTable::Entry> listed = AuraColourMeasure::namedColours(overlay);
        const auto named = recipe.named();
        good = good && listed.size() == qsizetype(named.size());
        for (const auto& n : named) {
            const auto entry = std::find_if(listed.begin(), listed.end(),
                                            [&](const auto& e) { return e.colour == n.colour; });
            good = good && entry != listed.end() && entry->place == n.place &&
                   shares[n.colour] >= AuraColourMeasure::kNamedShare + 0.015;
        }
        for (int c = 0; c < AuraPalette::Count; ++c)
            good = good && (std::any_of(named.begin(), named.end(),
                                        [&](const auto& n) { return n.colour == c; }) ||
                            shares[c] <= AuraColourMeasure::kNamedShare - 0.015);
        return good;
    };
    auto alike = [](const Measured& p, const Measured& q) {
        double sum = 0.0;
        for (std::size_t k = 0; k < p.onGrey.size(); ++k)
            sum += deltaE(p.onGrey[k], q.onGrey[k]);
        return sum / double(p.onGrey.size()) < 10.4 || correlation(p.alpha, q.alpha) > 0.944;
    };
    constexpr int N = PortraitFormat::OverlayCount;
    std::vector<int> drawing(N + 1, 0);
    std::vector<Measured> all(N + 1);
    std::vector<bool> good(N + 1);
    for (int n = 1; n <= N; ++n)
        good[std::size_t(n)] = flawless(n, 0, all[std::size_t(n)]);
    // Redraw an overlay with a flaw, or the later of a pair too alike (failing that, the
    // earlier), until every overlay meets the measures and no pair is alike.
    for (;;) {
        std::vector<int> candidates;
        for (int n = 1; n <= N && candidates.empty(); ++n)
            if (!good[std::size_t(n)])
                candidates = {n};
        for (int p = 1; p <= N && candidates.empty(); ++p)
            for (int q = p + 1; q <= N && candidates.empty(); ++q)
                if (alike(all[std::size_t(p)], all[std::size_t(q)]))
                    candidates = {q, p};
        if (candidates.empty())
            break;
        bool found = false;
        for (const int n : candidates) {
            // Drawings after the one it has, then the mirrored ones.
            for (int k = 1; k <= 300 && !found; ++k) {
                const int d = k <= 150 ? drawing[std::size_t(n)] + k : 150 - k;
                Measured m;
                if (!flawless(n, d, m))
                    continue;
                bool clash = false;
                for (int o = 1; o <= N && !clash; ++o)
                    clash = o != n && alike(m, all[std::size_t(o)]);
                if (!clash) {
                    found = true;
                    drawing[std::size_t(n)] = d, all[std::size_t(n)] = m,
                    good[std::size_t(n)] = true;
                }
            }
            if (found)
                break;
        }
        ASSERT_TRUE(found) << "no drawing of overlay " << candidates.front() << " will do";
    }
    std::printf("constexpr std::pair<int, int> Drawings[] = {\n");
    for (int n = 1; n <= N; ++n)
        if (drawing[std::size_t(n)] != 0)
            std::printf("    {%d, %d},\n", n, drawing[std::size_t(n)]);
    std::printf("};\n");
}

// A photo framed to its face takes its aura from the shipped wide glow rather than painting
// it: wherever the framing puts the figure, the two must look alike, with the face as clear.
TEST(AuraArt, AWideGlowResampledLooksAsPaintedAtAnyFraming) {
    const QTransform shiftedUp = QTransform::fromTranslate(0, -66);
    const QTransform small = QTransform::fromTranslate(72, 96).scale(0.6, 0.6);
    const QTransform closeUp = QTransform::fromTranslate(-70, -60).scale(1.4, 1.4);
    for (const QTransform& placement : {shiftedUp, small, closeUp}) {
        const AuraOverlayPainter painter(QSize(360, 480), placement);
        ASSERT_TRUE(painter.wideGlowServes());
        for (const int number : {4, 17, 77}) {
            SCOPED_TRACE(number);
            const AuraRecipe recipe = AuraRecipe::forIndex(number);
            const QImage painted = painter.paint(recipe);
            const QImage resampled = painter.paint(AuraOverlayPainter::paintWideGlow(recipe));
            ASSERT_EQ(resampled.size(), painted.size());
            double difference = 0;
            int far = 0, faceAlpha = 0;
            for (int y = 0; y < painted.height(); ++y) {
                for (int x = 0; x < painted.width(); ++x) {
                    const QRgb p = painted.pixel(x, y);
                    const QRgb q = resampled.pixel(x, y);
                    const int d =
                        std::max({std::abs(qAlpha(p) - qAlpha(q)), std::abs(qRed(p) - qRed(q)),
                                  std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
                    difference += d;
                    far += d > 24 ? 1 : 0;
                    const QPointF at = placement.inverted().map(QPointF(x + 0.5, y + 0.5));
                    if (ovalRadius(at.x(), at.y(), 0.0) < 1.0)
                        faceAlpha = std::max(faceAlpha, qAlpha(q));
                }
            }
            const double pixels = double(painted.width()) * painted.height();
            EXPECT_LT(difference / pixels, 2.0);
            EXPECT_LT(far / pixels, 0.001);
            EXPECT_EQ(faceAlpha, 0);
        }
    }
    // Framed beyond what the wide glow holds, an aura is painted.
    EXPECT_FALSE(
        AuraOverlayPainter(QSize(360, 480), QTransform::fromScale(0.3, 0.3)).wideGlowServes());
    EXPECT_FALSE(AuraOverlayPainter(QSize(720, 960), QTransform::fromScale(2, 2)).wideGlowServes());
}
