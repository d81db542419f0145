// A form laid out for drawing: every object of the form, its ancestors' and its frames', with its
// place after alignment and anchors, its colours, font and picture. Built from a form model; the
// painter draws it and the form view finds objects in it.
#pragma once

#include "AncestorSource.h"
#include "DrawnObject.h"
#include "FormModel.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace dfm {

class FormDrawing {
public:
    // The largest picture drawn, in pixels: a side, and the whole.
    static constexpr int LargestSide = 16384;
    static constexpr qint64 LargestArea = qint64{1} << 26;
    // The size of a non-visual component's icon, in form units.
    static constexpr int IconSize = 28;

    // page: what the form's narrow strings are in. ancestors: where an inherited form's ancestors
    // and its frames are found; without it, the form is drawn with what it holds.
    static FormDrawing build(std::shared_ptr<const FormModel> model, const CodePage& page,
                             AncestorSource* ancestors = nullptr);

    // The objects, the form first; children follow their parents.
    const std::vector<DrawnObject>& objects() const { return objects_; }
    // The picture's size in form units: the menu bar, if any, above the client area.
    QSize size() const { return {clientSize_.width(), clientSize_.height() + menuBarHeight_}; }
    QSize clientSize() const { return clientSize_; }
    int menuBarHeight() const { return menuBarHeight_; }
    // The captions of the main menu's items, for the menu bar.
    const QStringList& menuCaptions() const { return menuCaptions_; }
    int pixelsPerInch() const { return pixelsPerInch_; }
    // The resolution fonts given in points are sized at: the form's PixelsPerInch as stored,
    // kept within 24 to 960, or 96 without one.
    static int pixelsPerInchOf(std::optional<std::int64_t> stored);
    // The order objects are painted in: a parent before its children, controls drawn by their
    // parent before windowed ones, non-visual icons last.
    const std::vector<int>& paintOrder() const { return paintOrder_; }
    // What could not be drawn as stored: a missing ancestor, a clamped size, a damaged picture.
    const QStringList& warnings() const { return warnings_; }
    // The ancestors and frames that were looked for and not found, by class name.
    const QStringList& missingAncestors() const { return missingAncestors_; }
    // What was not found, each in a sentence ("The frame TPartFrame is not found").
    const QStringList& missingNotes() const { return missingNotes_; }

    // The object drawn at point (form units of the picture, menu bar included): the topmost
    // shown one, non-visual components' icons left out unless withIcons; -1 for none.
    int objectAt(QPoint point, bool withIcons = true) const;
    // The object of a node of the form's own model; -1 when none is drawn for it.
    int objectOfNode(std::uint32_t node) const;

private:
    friend class DrawingBuilder;

    std::vector<std::shared_ptr<const FormModel>> models_;  // the form's and its ancestors'
    std::vector<DrawnObject> objects_;
    std::vector<int> paintOrder_;
    QSize clientSize_;
    int menuBarHeight_ = 0;
    QStringList menuCaptions_;
    int pixelsPerInch_ = 96;
    QStringList warnings_;
    QStringList missingAncestors_;
    QStringList missingNotes_;
};

}  // namespace dfm
