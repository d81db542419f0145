// Draws a laid-out form with QPainter, one pixel per form unit at scale 1: each control drawn to
// look like itself in the classic desktop style, non-visual components as labelled icons.
// Needs no window system: it paints on any device, an image made offscreen among them.
#pragma once

#include "FormDrawing.h"

#include <QImage>
#include <QPainter>

namespace dfm {

struct PaintOptions {
    double scale = 1.0;
    bool showNonVisual = true;
};

class FormPainter {
public:
    // The largest and smallest scales a picture is drawn at.
    static constexpr double SmallestScale = 0.1;
    static constexpr double LargestScale = 16.0;

    // Paints the drawing with its top-left corner at the painter's origin.
    static void paint(QPainter& painter, const FormDrawing& drawing, const PaintOptions& options);
    // The scale a picture of size form units is drawn at: options' scale, lowered so that the
    // picture stays within the drawing's largest side and area.
    static double cappedScale(QSize size, double scale);
    // The picture at the capped scale; note, when given, says when the scale had to be lowered.
    static QImage render(const FormDrawing& drawing, const PaintOptions& options, QString* note = nullptr);
};

}  // namespace dfm
