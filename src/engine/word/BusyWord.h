#pragma once

#include <chrono>
#include <functional>
#include <objbase.h>

// A Word that is starting, loading add-ins or laying out rejects the calls that come in
// (RPC_E_CALL_REJECTED, RPC_E_SERVERCALL_RETRYLATER). COM asks the caller's message filter
// whether to try again; Wine's COM never asks it and hands the rejection to the caller. So both
// are done: a filter on every thread that calls Word, and a retry around every call.
namespace brindlecast::engine::word {

/// Registers the filter for the calling thread, once; its apartment must be entered.
void ListenToBusyWord();
/// Revokes it, for a thread about to leave its apartment.
void StopListening();
/// How long a call that Word keeps rejecting is tried: the request's time limit.
void SetBusyPatience(std::chrono::milliseconds patience);
/// Runs `call`, one COM call, again after a short pause while Word rejects it as busy, within
/// the patience; returns its last result.
HRESULT RetryWhileBusy(const std::function<HRESULT()>& call);

/// For a Word that became the user's, which is neither ended nor waited on again: a call now
/// under way never returns to its caller (its thread is parked for good when it comes back, so
/// the request it belongs to can be given up), and every later call fails at once, the objects
/// going without a call, until the thread starts a new session.
void AbandonPendingCalls();
/// Parks the calling thread for good when its calls were abandoned while the last one ran,
/// after leaving its apartment, so that Word is let go of all the same.
void ParkIfAbandoned();
/// What a call of an abandoned thread fails with.
inline constexpr char AbandonedWord[] = "Word did not answer and was left to the user, who has "
                                        "a document of their own open in it.";
/// True on a thread whose calls were abandoned, until NewSession.
bool CallsAbandoned();
/// The calling thread starts a new session: its calls go to Word again.
void NewSession();

} // namespace brindlecast::engine::word
