// Packs compressed audio: a time-stamped sample, or one announcing a type,
// starts a packet in a buffer of the packer's own, and the untimed samples
// after it are appended until the next one starts or the packet is full.
//
// Invariants: at most one packet is held, always in one of the packer's own
// buffers of PacketSize bytes, never an upstream one; no packet reference is
// held while waiting for a buffer, so delivering never waits on itself; every
// byte given to Pack while open is delivered once, in order, unless Close
// discards it; nothing from before a Close is held after it; a sample longer
// than a packet is delivered whole, in the buffer it came in.
// Pack and Deliver run on the streaming thread under the filter's receive
// lock, and so do Open at end-flush and streaming start; Close, Commit and
// Decommit come from the flushing or state-changing thread. lock_ is a leaf:
// it guards the fields below, and nothing but the packer's own allocator is
// called while it is held.
#ifndef DRAVIK_AUDIO_PACKER_H
#define DRAVIK_AUDIO_PACKER_H

#include <dshow.h>

#include <functional>

#include "framework/lock.h"

class CAudioPacker {
public:
    static const LONG PacketSize = 65536;

    // `deliver` passes one sample downstream and answers the delivery result.
    explicit CAudioPacker(std::function<HRESULT(IMediaSample*)> deliver);
    ~CAudioPacker();
    CAudioPacker(const CAudioPacker&) = delete;
    CAudioPacker& operator=(const CAudioPacker&) = delete;

    // Appends the sample to the held packet, or delivers that packet and
    // starts the next one with it; the first failure to copy or deliver.
    // S_FALSE, taking nothing, while closed.
    HRESULT Pack(IMediaSample* sample, bool announcesType);
    // Delivers the held packet, if any; the delivery result, S_OK with none.
    HRESULT Deliver();
    // Discards the held packet and the one a Pack in progress would start, and
    // takes no sample until Open.
    void Close();
    void Open();
    // Packets can be started from Commit until Decommit, which also lets a
    // Pack waiting for a buffer fail.
    HRESULT Commit();
    HRESULT Decommit();

private:
    // S_FALSE when no packet is held or the sample does not fit into it.
    HRESULT Append(IMediaSample* sample, LONG length);
    // A copy of the sample in a fresh buffer becomes the held packet.
    HRESULT Begin(IMediaSample* sample);
    // The allocator for packets, with a reference for the caller, and the close count it was asked at.
    HRESULT PacketAllocator(IMemAllocator** allocator, unsigned* closes);

    const std::function<HRESULT(IMediaSample*)> deliver_;
    CLock lock_;
    IMediaSample* packet_ = nullptr;
    IMemAllocator* allocator_ = nullptr;
    bool committed_ = false;
    bool open_ = false;
    // Counts Close calls, so that a packet begun before one is not kept after it.
    unsigned closes_ = 0;
};

#endif
