#pragma once
// Identifiers of the About box's resources in Cutshape.ocx, shared by the resource script
// and the code. The tablet is the library's first icon, so it also stands for the file.

#define CUTSHAPE_ICON_TABLET 1
#define CUTSHAPE_ICON_QUESTION 2

// The About box's texts, in the string table.
#define CUTSHAPE_STRING_ABOUT_CAPTION 1000
#define CUTSHAPE_STRING_ABOUT_CLOSE 1001
#define CUTSHAPE_STRING_ABOUT_SYSTEM_INFO 1002
// The title label's design caption, and what follows the library's title once it is filled.
#define CUTSHAPE_STRING_ABOUT_TITLE 1003
#define CUTSHAPE_STRING_ABOUT_TITLE_SUFFIX 1004
// The version label's design caption, and the word before the version's numbers.
#define CUTSHAPE_STRING_ABOUT_VERSION 1005
#define CUTSHAPE_STRING_ABOUT_DESCRIPTION 1006
#define CUTSHAPE_STRING_ABOUT_DISCLAIMER 1007
#define CUTSHAPE_STRING_ABOUT_NOTICE 1008
// The face of the dialog's font: a translation may need another.
#define CUTSHAPE_STRING_ABOUT_FONT 1009
