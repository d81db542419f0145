// Reads a binary form stream into a form model: the stream becomes the model's arena as it is,
// and FormReader walks it to make the records.
#pragma once

#include "ByteStream.h"
#include "FormModel.h"

namespace dfm {

class BinaryModelReader {
public:
    // input stands at "TPF0"; the bytes after the root object are left out of the model.
    static FormModel read(ByteStream& input);
};

}  // namespace dfm
