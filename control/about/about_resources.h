#pragma once
// Identifiers of the About box's resources in Cutshape.ocx, shared by the resource script
// and the code. The tablet is the library's first icon, so it also stands for the file.

#define CUTSHAPE_ICON_TABLET 1
#define CUTSHAPE_ICON_QUESTION 2
