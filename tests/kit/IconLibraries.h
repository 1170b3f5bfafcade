#pragma once
// The icon sources that old software ships beside its programs, built for
// the tests: icon libraries (.icl) in both of their layouts, the 16-bit NE
// file of the early editors and the PE file of later ones, each a file of
// nothing but icon groups; and a loose icon file of several images.

#include "kit/Bytes.h"

namespace glyphor::kit {

// An NE icon library of count icons, one 32 x 32 image of 4 bits each, whose
// pixels follow firstSeed, firstSeed + 1, ...; the first group is named, as
// editors name them, and the others numbered.
Bytes NeIconLibrary(int count, int firstSeed = 1);
// The same as a PE file.
Bytes PeIconLibrary(int count, int firstSeed = 1);
// An icon file of one icon in three images (16 x 16 and 32 x 32 of 4 bits,
// 48 x 48 of 8 bits) whose pixels follow seed.
Bytes IconFileOfSeveralImages(int seed = 1);

} // namespace glyphor::kit
