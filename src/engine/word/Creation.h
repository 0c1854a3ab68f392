#pragma once

#include <functional>
#include <oaidl.h>

namespace brindlecast::engine::word {

/// CoCreateInstance of the local server `clsid`, as IDispatch in the caller's apartment. The
/// creation itself runs on a thread of its own: a server that is ended while it starts leaves
/// CoCreateInstance waiting for a registration that never comes (30 s under Wine, longer on
/// Windows), and the caller stops waiting as soon as `abandoned` says so (E_ABORT). A server
/// that still comes up after that is released, and ends with its last reference.
HRESULT CreateLocalServer(const CLSID& clsid, const std::function<bool()>& abandoned,
                          IDispatch** object);

} // namespace brindlecast::engine::word
