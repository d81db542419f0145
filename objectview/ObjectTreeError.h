// The error of an object tree that could not be built from the form text.
#pragma once

#include <stdexcept>

namespace dfm {

// Thrown once the items before the object that could not be placed are in the tree.
class ObjectTreeError : public std::runtime_error {
public:
    ObjectTreeError() : std::runtime_error("Erreur chargement de fichier") {}
};

}  // namespace dfm
