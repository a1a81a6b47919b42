#include "imaging/ImageContext.h"

#include <QPainter>
#include <cmath>
#include <memory>
#include <vector>

namespace toolkit {

namespace {
// The painter keeps the address of its QImage: the image lives on the heap so that moving
// the context into the stack (or the stack growing) does not leave the painter on a dead one.
struct Context {
    std::unique_ptr<QImage> image;
    std::unique_ptr<QPainter> painter;
};

std::vector<Context>& stack() {
    static std::vector<Context> contexts;
    return contexts;
}
} // namespace

void beginImageContext(QSizeF size) {
    const QSize pixels(qMax(1, int(std::ceil(size.width()))),
                       qMax(1, int(std::ceil(size.height()))));
    Context context;
    context.image = std::make_unique<QImage>(pixels, QImage::Format_ARGB32_Premultiplied);
    context.image->fill(Qt::transparent);
    context.painter = std::make_unique<QPainter>(context.image.get());
    stack().push_back(std::move(context));
}

QPainter* currentContext() {
    return stack().empty() ? nullptr : stack().back().painter.get();
}

Image imageFromCurrentImageContext() {
    if (stack().empty())
        return Image();
    return Image(stack().back().image->copy());
}

void endImageContext() {
    if (stack().empty())
        return;
    stack().back().painter->end();
    stack().pop_back();
}

} // namespace toolkit
