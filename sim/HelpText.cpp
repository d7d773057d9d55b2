#include "sim/Options.h"

namespace zemra::sim {

std::string HelpText() {
  return R"(Usage: zemrasim [OPTION]...
A stand-in ZEMRA thermometer, and virtual Ethernet units that answer ADDP, for tests and
demonstrations. Serves until SIGINT or SIGTERM, then exits 0.

Transports (any combination):
  --pty LINK              create a pseudo-terminal, make LINK a symbolic link to it and print
                          its device path on stdout; serial protocol on it
  --tcp ADDRESS           listen on ADDRESS, TCP port 2101 (may be given more than once);
                          only 127.0.0.0/8 unless --allow-any-address
  --port N                TCP port of every thermometer (default 2101; 0 picks a free one)
  --addp N                N Ethernet units on UDP 2362 at 127.0.1.1 upward, each serving a
                          thermometer of its own on its address, TCP port 2101
  --addp-port N           UDP port of the ADDP service (default 2362)
  --addp-first ADDRESS    address of the first unit (default 127.0.1.1)
  --addp-password TEXT    password of the configuration and reboot requests (default dbps)
  --reboot-ms MS          how long a unit is away while it restarts (default 500)
  --allow-any-address     listen and answer beyond loopback (ADDP then on all addresses)

The thermometer:
  --kind single|ratio|neither   single-wavelength (default), ratio, or neither
  --fahrenheit            start in Fahrenheit (IRU 1)
  --address N             unit address on the bus, 1 to 254 (default 1); 0 is always answered
  --range LOW:HIGH        measuring range in the starting unit (default by kind)
  --label TEXT            label (at most 15 characters are kept)
  --serial-number N       serial number (TSN; units get N+1 upward)
  --laser-fitted 0|1      laser fitted (default 1)
  --signal CELSIUS        pin the measured temperature (default: it wanders within the range)

Faults:
  --silent[=MNEMONIC]     answer nothing (to every frame, or to one command; PROBE: the probe)
  --error-reply MNEMONIC  answer that command with the error reply "*?"
  --garbage[=MNEMONIC]    answer with noise bytes instead of a reply
  --no-etx[=MNEMONIC]     leave the ETX off the replies
  --delay MS[:MNEMONIC]   answer MS milliseconds late
  --split N[:GAP_MS]      TCP: send each reply in N segments, GAP_MS apart (default 20)
  --close-after N         TCP: close a connection after its N-th frame
  --hangup-after N        pty: hang up after N frames ...
  --hangup-ms MS          ... for MS milliseconds (default 1000; -1: for good)
  --addp-short            ADDP: a 20-byte datagram before each discovery reply
  --addp-malformed        ADDP: a datagram with a wrong magic and type before each reply
  --addp-bad-only         ADDP: send the bad datagram instead of the reply
  --addp-duplicate-ip     ADDP: the second unit answers with the first one's IP address

Other:
  --trace FILE            write every frame and datagram received to FILE, one a line,
                          with its time of arrival
  -h, --help              show this text
)";
}

}  // namespace zemra::sim
