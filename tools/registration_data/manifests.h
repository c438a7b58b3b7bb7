#pragma once
// Manifests for using the control without registration: the control's own private-assembly
// manifest (Cutshape.manifest, beside Cutshape.ocx) and the manifest a program places beside
// itself (<program>.exe.manifest) to depend on that assembly.

#include <ostream>
#include <string>

namespace cutshape::registration_data {

// `architecture` is the manifest's processorArchitecture (x86 or amd64); `version` the
// assembly version, four numbers.
void writeControlManifest(std::ostream& out, const std::string& architecture,
                          const std::string& version);
void writeProgramManifest(std::ostream& out, const std::string& architecture,
                          const std::string& version, const std::string& programName);

} // namespace cutshape::registration_data
