#pragma once
// Identifiers of Cutshape.ocx's resources that its registration names, shared by the
// resource script and the registration table. Definitions only: windres and the build
// machine read it too.

// The toolbox picture (resources/toolbox.bmp), a BITMAP resource.
#define CUTSHAPE_TOOLBOX_BITMAP 30000
