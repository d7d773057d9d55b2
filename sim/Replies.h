#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "sim/FaultPlan.h"
#include "sim/FrameCodec.h"
#include "sim/Thermometer.h"

namespace zemra::sim {

// Bytes to send some time after the frame came.
struct Outgoing {
  std::chrono::milliseconds delay{0};
  std::string bytes;
};

// What the thermometer does with one frame: what it sends back (nothing for set frames, for
// frames to another unit and while silent), with the faults in force applied. Set frames to
// this unit change the model.
std::vector<Outgoing> Answer(const Frame& frame, Thermometer& model, const Faults& faults,
                             bool splitSegments);

// Whether a frame with this address byte is meant for a unit at `ownAddress`: its own address,
// or 0, which every unit on a one-to-one line answers.
bool AddressedTo(std::uint8_t frameAddress, int ownAddress);

// The noise sent in place of a reply by the garbage fault: no STX, no zero byte, ended by ETX.
std::string GarbageReply();

}  // namespace zemra::sim
