#pragma once
// The control's stored state: four keys in the container's property bag, or the same values
// in a stream. Reading and writing use the same default for each key, so a container may
// leave out any value equal to its default and get the same state back.
//
//   key                 read  write  default
//   "Picture"           1     1      an empty picture
//   "MaskColor"         2     2      0
//   "AutomaticMaskColor" 3    4      True
//   "ShowPicture"       4     3      True

#include "control/control_properties.h"

#include <ocidl.h>

namespace cutshape::control {

// Restores the state in key order. A failing read, a "Picture" that is not a picture, or a
// value that does not convert ends the restore with that error; what was restored stays.
void readProperties(IPropertyBag& bag, IErrorLog* log, ControlProperties& properties);

// Saves the state in key order; values equal to their defaults are left out unless
// `saveAll`.
void writeProperties(IPropertyBag& bag, const ControlProperties& properties, bool saveAll);

// The same state as a stream of the control's own layout (a tag, a version, the values,
// and the picture as the picture object saves itself).
void readStream(IStream& stream, ControlProperties& properties);
void writeStream(IStream& stream, const ControlProperties& properties);

} // namespace cutshape::control
