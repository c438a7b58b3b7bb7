// A program whose bundled form description is malformed: the runtime must report the file,
// the line and the mistake before any form exists, and end with a non-zero exit code.

#include "container/program.h"

int wmain() {
    return cutshape::container::runProgram("broken.form", {});
}
