#include "ImageContext.h"

#include <QPainter>
#include <QWidget>
#include <cmath>
#include <memory>
#include <vector>

namespace toolkit {

namespace {
struct Context {
    QImage image;
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
    context.image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    context.image.fill(Qt::transparent);
    context.painter = std::make_unique<QPainter>(&context.image);
    stack().push_back(std::move(context));
}

QPainter* currentContext() {
    return stack().empty() ? nullptr : stack().back().painter.get();
}

Image imageFromCurrentImageContext() {
    if (stack().empty())
        return Image();
    return Image(stack().back().image.copy());
}

void endImageContext() {
    if (stack().empty())
        return;
    stack().back().painter->end();
    stack().pop_back();
}

void renderInContext(QWidget* window, QPainter* context) {
    if (!window || !context)
        return;
    window->render(context, QPoint(), QRegion(),
                   QWidget::DrawWindowBackground | QWidget::DrawChildren);
}

} // namespace toolkit
