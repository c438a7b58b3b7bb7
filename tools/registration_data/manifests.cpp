#include "manifests.h"

#include "control/registration_data.h"
#include "xml_text.h"

#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace cutshape::registration_data {
namespace {

namespace data = control::registration;
using data::Part;

constexpr std::string_view kAssemblyName = "Cutshape";
constexpr std::string_view kLibraryFile = "Cutshape.ocx";

// The names a manifest's miscStatus attributes use for the OLEMISC bits.
struct MiscStatusName {
    std::uint32_t bit;
    std::string_view name;
};
constexpr MiscStatusName kMiscStatusNames[] = {
    {0x1, "recomposeonresize"},     {0x2, "onlyiconic"},
    {0x4, "insertnotreplace"},      {0x8, "static"},
    {0x10, "cantlinkinside"},       {0x20, "canlinkbyole1"},
    {0x40, "islinkobject"},         {0x80, "insideout"},
    {0x100, "activatewhenvisible"}, {0x200, "renderingisdeviceindependent"},
    {0x400, "invisibleatruntime"},  {0x800, "alwaysrun"},
    {0x1000, "actslikebutton"},     {0x2000, "actslikelabel"},
    {0x4000, "nouiactivate"},       {0x8000, "alignable"},
    {0x10000, "simpleframe"},       {0x20000, "setclientsitefirst"},
    {0x40000, "imemode"},           {0x80000, "ignoreactivatewhenvisible"},
    {0x100000, "wantstomenumerge"}, {0x200000, "supportsmultilevelundo"},
};

std::string miscStatusNames(std::uint32_t status) {
    std::string names;
    for (const MiscStatusName& entry : kMiscStatusNames) {
        if (!(status & entry.bit))
            continue;
        names += (names.empty() ? "" : ",") + std::string(entry.name);
        status &= ~entry.bit;
    }
    if (status)
        throw std::runtime_error("a miscellaneous-status bit has no manifest name");
    return names;
}

// The value of the row at `key` (default value unless `name` is given).
std::string_view rowData(std::string_view key, std::string_view name = {}) {
    for (const data::Row& row : data::kRows)
        if (row.key == key && row.name == name)
            return row.data;
    throw std::runtime_error("no registration row " + std::string(key));
}

void writeIdentity(std::ostream& out, const std::string& architecture, const std::string& version,
                   std::string_view indent) {
    out << indent << "<assemblyIdentity type=\"win32\" name=\"" << kAssemblyName << "\" version=\""
        << xmlAttribute(version) << "\" processorArchitecture=\"" << xmlAttribute(architecture)
        << "\"/>\n";
}

} // namespace

void writeControlManifest(std::ostream& out, const std::string& architecture,
                          const std::string& version) {
    const std::string library(data::kLibraryId);
    // The content aspect's status as the class key records it (MiscStatus\1, in decimal).
    const std::string classKey = "CLSID\\" + std::string(data::kClassId);
    const auto contentStatus =
        static_cast<std::uint32_t>(std::stoul(std::string(rowData(classKey + "\\MiscStatus\\1"))));
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        << "<!-- The Cutshape control as a private assembly: a program that depends on it in its\n"
        << "     own manifest creates the control from Cutshape.ocx beside it, unregistered. -->\n"
        << "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n";
    writeIdentity(out, architecture, version, "  ");
    out << "  <file name=\"" << kLibraryFile << "\">\n"
        << "    <comClass clsid=\"" << data::kClassId << "\" progid=\"" << data::kProgId
        << "\" threadingModel=\"" << data::kThreadingModel << "\" tlbid=\"" << library
        << "\" description=\"" << data::kClassName << "\" miscStatusContent=\""
        << miscStatusNames(contentStatus) << "\"/>\n"
        << "    <typelib tlbid=\"" << library << "\" version=\"" << data::kLibraryVersion
        << "\" helpdir=\"\" flags=\"control\"/>\n"
        << "  </file>\n";
    // The interfaces, current and earlier, with the marshalers their registration names.
    for (const data::Row& row : data::kRows) {
        const bool isInterface = row.part == Part::Interface || row.part == Part::EarlierInterface;
        if (!isInterface || row.name != "" || row.key.find('\\', 10) != std::string_view::npos)
            continue;
        const std::string_view id = row.key.substr(row.key.find('\\') + 1);
        const std::string stubKey = std::string(row.key) + "\\ProxyStubClsid32";
        out << "  <comInterfaceExternalProxyStub name=\"" << xmlAttribute(row.data) << "\" iid=\""
            << id << "\" tlbid=\"" << library << "\" proxyStubClsid32=\"" << rowData(stubKey)
            << "\"/>\n";
    }
    out << "</assembly>\n";
}

void writeProgramManifest(std::ostream& out, const std::string& architecture,
                          const std::string& version, const std::string& programName) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        << "<!-- " << xmlAttribute(programName)
        << " uses the Cutshape control beside it (Cutshape.manifest), registered or not. -->\n"
        << "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
        << "  <assemblyIdentity type=\"win32\" name=\"" << xmlAttribute(programName)
        << "\" version=\"" << xmlAttribute(version) << "\" processorArchitecture=\""
        << xmlAttribute(architecture) << "\"/>\n"
        << "  <dependency>\n"
        << "    <dependentAssembly>\n";
    writeIdentity(out, architecture, version, "      ");
    out << "    </dependentAssembly>\n"
        << "  </dependency>\n"
        // Laid out at each monitor's resolution by the program itself, never stretched.
        << "  <application xmlns=\"urn:schemas-microsoft-com:asm.v3\">\n"
        << "    <windowsSettings>\n"
        << "      <dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">"
           "true/pm</dpiAware>\n"
        << "      <dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
           "PerMonitorV2, PerMonitor</dpiAwareness>\n"
        << "    </windowsSettings>\n"
        << "  </application>\n"
        << "</assembly>\n";
}

} // namespace cutshape::registration_data
