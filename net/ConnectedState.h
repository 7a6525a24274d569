// The connected-state probe: whether the machine has a usable network.
#pragma once

#include <cstdint>

#include "platform/NetworkProbe.h"

constexpr std::int32_t E_INVALIDARG_RESULT = static_cast<std::int32_t>(0x80070057);
constexpr std::int32_t E_FAIL_RESULT = static_cast<std::int32_t>(0x80004005);

// 0 when connected, 1 when not, E_INVALIDARG_RESULT when flags is null,
// E_FAIL_RESULT when the state cannot be determined. flags receives the
// connection flags (0x01 modem, 0x02 LAN, 0x04 proxy, 0x20 offline).
std::int32_t GetConnectedState(std::uint32_t* flags);

// Connection flags reported in GetConnectedState's out parameter.
constexpr std::uint32_t CONNECTION_MODEM = 0x01;
constexpr std::uint32_t CONNECTION_LAN = 0x02;
constexpr std::uint32_t CONNECTION_PROXY = 0x04;
constexpr std::uint32_t CONNECTION_OFFLINE = 0x20;

// The interface walk GetConnectedState asks; replaceable so that tests can
// play a machine without a network. Returns the previous probe; null
// restores the system's own.
using NetworkProbeFunction = NetworkProbeResult (*)();
NetworkProbeFunction SetNetworkProbe(NetworkProbeFunction probe);
