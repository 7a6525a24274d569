// The operating system's view of the network interfaces: whether any
// interface could reach a network. The connected-state probe builds on it.
#pragma once

enum class NetworkProbeResult {
    Connected,     // an interface is up, not loopback, and has an IPv4 or IPv6 address
    NotConnected,  // no such interface
    Unknown,       // the interfaces could not be listed
};

NetworkProbeResult ProbeNetworkInterfaces();
