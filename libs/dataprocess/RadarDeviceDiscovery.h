// Device discovery of the radar library, used by the detect-device dialog: the sources that can
// be probed, in order, and the probe of one of them.
#pragma once

#include <cstdint>

#include "ROVA_DataProcess.h"

struct RadarDiscoveryCandidate {
    eRADAR_SOURCE_TYPE type;
    int32_t value;            // detectedDeviceValue when found (COM: port number)
    char port[64];            // e.g. "COM9999"
    char description[128];    // filled by the probe
};

extern "C" {
// Fills up to maxCount candidates (candidates may be null to count); returns how many exist.
// The serial ports of the machine come first (ascending, without the signal light's port); the
// simulated sensor is the last candidate while gRadarParameter.simulatedSensor is set.
// Probes of different candidates may run at the same time.
ROVA_DATAPROCESS_API int ROVA_RadarDiscovery_ListCandidates(RadarDiscoveryCandidate* candidates, int maxCount);
// Probes one candidate, waiting at most timeoutMs. Nonzero when a sensor answered.
ROVA_DATAPROCESS_API int ROVA_RadarDiscovery_Probe(RadarDiscoveryCandidate* candidate, int timeoutMs);
}
