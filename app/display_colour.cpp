// Whether the monitor the lens stands on runs HDR: there every screen read
// is tone-mapped, and a check that does not prove the reads exact says why.
#include "app/colour_check.h"

#include <cwchar>
#include <vector>

#include "settings/system_calls.h"

namespace {

// The active display paths; empty where the system has no such call (Vista)
// or the paths kept changing while they were asked for.
std::vector<DISPLAYCONFIG_PATH_INFO> ActivePaths() {
    const auto sizes = DynCalls.GetDisplayConfigBufferSizes;
    const auto query = DynCalls.QueryDisplayConfig;
    std::vector<DISPLAYCONFIG_PATH_INFO> paths;
    std::vector<DISPLAYCONFIG_MODE_INFO> modes;
    for (int tries = 0; sizes && query && tries < 3; ++tries) {
        UINT32 pathCount = 0, modeCount = 0;
        if (sizes(QDC_ONLY_ACTIVE_PATHS, &pathCount, &modeCount) != ERROR_SUCCESS)
            break;
        paths.resize(pathCount);
        modes.resize(modeCount);
        const LONG result = query(QDC_ONLY_ACTIVE_PATHS, &pathCount, paths.data(), &modeCount,
                                  modes.data(), nullptr);
        if (result == ERROR_SUCCESS) {
            paths.resize(pathCount);
            return paths;
        }
        if (result != ERROR_INSUFFICIENT_BUFFER)
            break;
    }
    return {};
}

}  // namespace

bool AdvancedColourIsHdr(UINT32 value) {
    // The record's bits: 1 supported, 2 enabled, 4 wide colour enforced (an
    // SDR display driven in wide colour, whose reads are not tone-mapped).
    return (value & 0x2) != 0 && (value & 0x4) == 0;
}

bool MonitorRunsHdr(HMONITOR monitor) {
    MONITORINFOEXW named{};
    named.cbSize = sizeof(named);
    // The advanced colour record comes with Windows 10 1703; before it the
    // call refuses the request, and the monitor counts as SDR.
    const auto deviceInfo = DynCalls.DisplayConfigGetDeviceInfo;
    if (!deviceInfo || !GetMonitorInfoW(monitor, &named))
        return false;
    for (const DISPLAYCONFIG_PATH_INFO& path : ActivePaths()) {
        DISPLAYCONFIG_SOURCE_DEVICE_NAME source{};
        source.header.type = DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME;
        source.header.size = sizeof(source);
        source.header.adapterId = path.sourceInfo.adapterId;
        source.header.id = path.sourceInfo.id;
        if (deviceInfo(&source.header) != ERROR_SUCCESS ||
            wcscmp(source.viewGdiDeviceName, named.szDevice) != 0)
            continue;
        DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO colour{};
        colour.header.type = DISPLAYCONFIG_DEVICE_INFO_GET_ADVANCED_COLOR_INFO;
        colour.header.size = sizeof(colour);
        colour.header.adapterId = path.targetInfo.adapterId;
        colour.header.id = path.targetInfo.id;
        if (deviceInfo(&colour.header) == ERROR_SUCCESS && AdvancedColourIsHdr(colour.value))
            return true;
    }
    return false;
}
