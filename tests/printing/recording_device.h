// A paint device that remembers what was drawn on it instead of making
// pixels: every text with the top-left corner of its line box and its
// font, every line with its pen width, every filled rectangle and outline.
// The helpers' arithmetic is then checked to the pixel, whatever the fonts
// look like.
#pragma once

#include <QFontMetrics>
#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QString>
#include <vector>

namespace korvalen::printing::fixtures {

struct DrawnText {
    QPointF topLeft;  // the line box's top-left corner
    QString text;
    QFont font;
    double advance;  // the text's width in that font on the device
};

struct DrawnLine {
    QLineF line;
    int penWidth;
};

struct DrawnFill {
    QRectF rect;
    QBrush brush;
};

class RecordingEngine final : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    std::vector<DrawnText> texts;
    std::vector<DrawnLine> lines;
    std::vector<DrawnFill> fills;
    std::vector<QRectF> outlines;               // paths drawn without a brush (the rounded frames)
    std::vector<std::vector<DrawnText>> pages;  // texts of the pages finished by NewPage

    void NewPage() {
        pages.push_back(std::move(texts));
        texts.clear();
    }

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState& state) override {
        if (state.state() & DirtyFont) font_ = state.font();
        if (state.state() & DirtyPen) pen_ = state.pen();
        if (state.state() & DirtyBrush) brush_ = state.brush();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF& baseline, const QTextItem& item) override {
        // Whole-pixel metrics, as the helpers place text with them.
        const QFontMetrics metrics(font_, paintDevice());
        texts.push_back({QPointF(baseline.x(), baseline.y() - metrics.ascent()), item.text(), font_,
                         static_cast<double>(metrics.horizontalAdvance(item.text()))});
    }
    void drawLines(const QLine* list, int count) override {
        for (int i = 0; i < count; ++i) lines.push_back({QLineF(list[i]), pen_.width()});
    }
    void drawLines(const QLineF* list, int count) override {
        for (int i = 0; i < count; ++i) lines.push_back({list[i], pen_.width()});
    }
    void drawRects(const QRect* rects, int count) override {
        for (int i = 0; i < count; ++i) fills.push_back({QRectF(rects[i]), brush_});
    }
    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i) fills.push_back({rects[i], brush_});
    }
    void drawPath(const QPainterPath& path) override { outlines.push_back(path.boundingRect()); }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}

private:
    QFont font_;
    QPen pen_;
    QBrush brush_;
};

// A page of `width` × `height` pixels at `dpi` pixels per inch.
class RecordingDevice final : public QPaintDevice {
public:
    RecordingDevice(int dpi, int width, int height) : dpi_(dpi), width_(width), height_(height) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    RecordingEngine& Engine() { return engine_; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth: return width_;
            case PdmHeight: return height_;
            case PdmWidthMM: return width_ * 254 / dpi_ / 10;
            case PdmHeightMM: return height_ * 254 / dpi_ / 10;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY: return dpi_;
            case PdmDepth: return 32;
            case PdmNumColors: return 1 << 24;
            case PdmDevicePixelRatio: return 1;
            case PdmDevicePixelRatioScaled: return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    int dpi_;
    int width_;
    int height_;
    mutable RecordingEngine engine_;
};

}  // namespace korvalen::printing::fixtures
