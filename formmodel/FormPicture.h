// The pictures a form stores in its binary properties (Picture.Data, Glyph.Data, Icon.Data and
// their kin): which properties hold one, and the graphic file inside each, told by its signature.
#pragma once

#include "FormModel.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dfm {

enum class PictureFormat { Bitmap, Icon, Jpeg, Png, Gif, Metafile, EnhancedMetafile, Unknown };

struct FormPicture {
    std::string objectName;    // the owning object's name ("Image1"), as stored
    std::string propertyName;  // "Picture.Data", "Glyph.Data", "Icon.Data", as stored
    std::string graphicClass;  // the stored class name, empty where the property stores none
    PictureFormat format = PictureFormat::Unknown;
    // The graphic's own bytes, a file of its kind, pointing into the data it was taken from. For a
    // picture that cannot be taken apart: the data after the class name, or all of it.
    std::span<const unsigned char> bytes;
};

// Whether a property of this name holds a picture whatever its bytes: "*.Data" whose owner's
// name says picture, glyph, bitmap or icon (Picture.Data, NextMonthGlyph.Data, PictureLeaf.Data).
bool namesPictureProperty(std::string_view propertyName);

// The picture a property holds: a binary "*.Data" property that names a picture, or another
// "*.Data" whose bytes hold a graphic of a signature no other data starts with by chance. A
// picture that cannot be taken apart comes back with format Unknown; an empty one is none.
std::optional<FormPicture> pictureOf(const FormNode& node, const FormProperty& property);

// The picture in data, a binary value of the property named: a graphic class name may lead, then
// the file, either as it is or behind its size in four little-endian bytes (a size that does not
// fit the data is no size). Never fails: what it cannot take apart is Unknown.
FormPicture pictureFromData(std::string_view propertyName, std::span<const unsigned char> data);

// Every picture of the form, in document order: objects, then their properties.
std::vector<FormPicture> picturesOf(const FormModel& model);

// "bmp", "ico", "jpg", "png", "gif", "wmf", "emf", and "bin" for Unknown.
std::string_view fileExtension(PictureFormat format);

}  // namespace dfm
