// Builds a form's drawing: the objects of the form merged over those of its ancestors and frames,
// each told what kind it draws as, its colours and font, then laid out.
#pragma once

#include "FormDrawing.h"

#include <set>
#include <string>

namespace dfm {

class DrawingBuilder {
public:
    DrawingBuilder(FormDrawing& drawing, const CodePage& page, AncestorSource* ancestors);

    void build(std::shared_ptr<const FormModel> model);

private:
    // Lays model over the object target, after the ancestors its root inherits from. own: the
    // model is the drawn form's, whose nodes the objects remember.
    void applyWithAncestors(const std::shared_ptr<const FormModel>& model, int target, bool own, int depth);
    void apply(const FormModel& model, int target, bool own, int depth);
    // Puts the frame of class className under target, as an inline object holds it.
    void graftFrame(int target, std::string_view className, int depth);
    int addObject(int parent, const FormNode& node);
    // The object named name within the subtree of within, nearest first; -1 for none.
    int findByName(int within, std::string_view name) const;
    void missing(std::string_view className, const char* what);

    void classify();
    void colourAndFont(DrawnObject& object, const DrawnObject* parent) const;
    // Pictures of images, glyphs of buttons and the form's icon, decoded once.
    void decodePictures();
    void sizeForm();
    void findMenu();
    void orderPainting();

    FormDrawing& drawing_;
    std::vector<DrawnObject>& objects_;
    const CodePage& page_;
    AncestorSource* ancestors_;
    std::vector<bool> framed_;            // by object: the root of a frame held inline
    std::set<std::string> chain_;         // the classes being laid over, against cycles
};

}  // namespace dfm
