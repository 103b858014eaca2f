// The memory allocator through CoCreateInstance: its properties rules, the
// pool's commit and decommit, and lending buffers across threads.
#include <gtest/gtest.h>

#include <dshow.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "live_object_check.h"

namespace {

class MemoryAllocator : public LiveObjectCheck {
protected:
    void SetUp() override {
        LiveObjectCheck::SetUp();
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                         reinterpret_cast<void**>(&allocator)));
    }
    void TearDown() override {
        if (allocator != nullptr) {
            EXPECT_EQ(0u, allocator->Release());
        }
        LiveObjectCheck::TearDown();
    }

    HRESULT Set(LONG buffers, LONG size, LONG align, LONG prefix, ALLOCATOR_PROPERTIES* actual = nullptr) {
        ALLOCATOR_PROPERTIES request{buffers, size, align, prefix};
        ALLOCATOR_PROPERTIES ignored;
        return allocator->SetProperties(&request, actual != nullptr ? actual : &ignored);
    }

    IMemAllocator* allocator = nullptr;
};

TEST_F(MemoryAllocator, AnswersOnlyItsInterfacesAndRefusesAggregation) {
    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, allocator->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    unknown->Release();
    IMediaSample* sample = nullptr;
    EXPECT_EQ(E_NOINTERFACE, allocator->QueryInterface(IID_IMediaSample, reinterpret_cast<void**>(&sample)));
    EXPECT_EQ(nullptr, sample);

    IUnknown* made = nullptr;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, CoCreateInstance(CLSID_MemoryAllocator, allocator, CLSCTX_INPROC_SERVER,
                                                      IID_IUnknown, reinterpret_cast<void**>(&made)));
    EXPECT_EQ(nullptr, made);
}

TEST_F(MemoryAllocator, PropertiesStartEmptyAndRoundBuffersToTheAlignment) {
    ALLOCATOR_PROPERTIES properties{-1, -1, -1, -1};
    ASSERT_EQ(S_OK, allocator->GetProperties(&properties));
    EXPECT_EQ(0, properties.cBuffers);
    EXPECT_EQ(0, properties.cbBuffer);
    EXPECT_EQ(0, properties.cbAlign);
    EXPECT_EQ(0, properties.cbPrefix);

    ALLOCATOR_PROPERTIES actual;
    ASSERT_EQ(S_OK, Set(3, 100, 64, 8, &actual));
    EXPECT_EQ(3, actual.cBuffers);
    EXPECT_EQ(120, actual.cbBuffer);  // 8 + 120 = 2 * 64
    EXPECT_EQ(64, actual.cbAlign);
    EXPECT_EQ(8, actual.cbPrefix);
    ASSERT_EQ(S_OK, allocator->GetProperties(&properties));
    EXPECT_EQ(0, memcmp(&actual, &properties, sizeof(properties)));

    ASSERT_EQ(S_OK, Set(2, 4096, 1, 0, &actual));
    EXPECT_EQ(4096, actual.cbBuffer);
}

TEST_F(MemoryAllocator, RefusesBadPropertiesAndKeepsTheOldOnes) {
    ASSERT_EQ(S_OK, Set(2, 10, 4, 0));
    EXPECT_EQ(VFW_E_BADALIGN, Set(2, 10, 0, 0));
    EXPECT_EQ(VFW_E_BADALIGN, Set(2, 10, 3, 0));
    EXPECT_EQ(VFW_E_BADALIGN, Set(2, 10, -8, 0));
    EXPECT_EQ(E_INVALIDARG, Set(-1, 10, 1, 0));
    EXPECT_EQ(E_INVALIDARG, Set(1, -10, 1, 0));
    EXPECT_EQ(E_INVALIDARG, Set(1, 10, 1, -1));
    EXPECT_EQ(E_INVALIDARG, Set(1, 0x7FFFFFF0, 16, 0x20));
    ALLOCATOR_PROPERTIES request{1, 1, 1, 0};
    EXPECT_EQ(E_POINTER, allocator->SetProperties(&request, nullptr));
    EXPECT_EQ(E_POINTER, allocator->SetProperties(nullptr, &request));
    EXPECT_EQ(E_POINTER, allocator->GetProperties(nullptr));

    ALLOCATOR_PROPERTIES properties;
    ASSERT_EQ(S_OK, allocator->GetProperties(&properties));
    EXPECT_EQ(2, properties.cBuffers);
    EXPECT_EQ(12, properties.cbBuffer);
    EXPECT_EQ(4, properties.cbAlign);
}

TEST_F(MemoryAllocator, CommitNeedsASizeAndFreezesTheProperties) {
    EXPECT_EQ(VFW_E_SIZENOTSET, allocator->Commit());
    ASSERT_EQ(S_OK, Set(0, 10, 1, 0));
    EXPECT_EQ(VFW_E_SIZENOTSET, allocator->Commit());
    ASSERT_EQ(S_OK, Set(1, 0, 1, 0));
    EXPECT_EQ(VFW_E_SIZENOTSET, allocator->Commit());

    ASSERT_EQ(S_OK, Set(2, 16, 1, 0));
    ASSERT_EQ(S_OK, allocator->Commit());
    EXPECT_EQ(S_OK, allocator->Commit());
    EXPECT_EQ(VFW_E_ALREADY_COMMITTED, Set(4, 16, 1, 0));
    ASSERT_EQ(S_OK, allocator->Decommit());
    EXPECT_EQ(S_OK, allocator->Decommit());
    EXPECT_EQ(S_OK, Set(4, 32, 1, 0));
}

TEST_F(MemoryAllocator, RefusesAPoolTooLargeToMake) {
    ASSERT_EQ(S_OK, Set(0x7FFFFFFF, 0x40000000, 1, 0));
    EXPECT_EQ(E_OUTOFMEMORY, allocator->Commit());
    IMediaSample* sample = nullptr;
    EXPECT_EQ(VFW_E_NOT_COMMITTED, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
}

TEST_F(MemoryAllocator, LendsAlignedBuffersWithTheirPrefix) {
    ASSERT_EQ(S_OK, Set(3, 50, 32, 5));
    ASSERT_EQ(S_OK, allocator->Commit());
    IMediaSample* samples[3] = {};
    for (IMediaSample*& sample : samples) {
        ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
        BYTE* data = nullptr;
        ASSERT_EQ(S_OK, sample->GetPointer(&data));
        EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(data) % 32);
        EXPECT_EQ(59, sample->GetSize());  // 5 + 59 = 2 * 32
        EXPECT_EQ(59, sample->GetActualDataLength());
        // The prefix and the whole buffer are the sample's to write.
        memset(data - 5, 0xAB, 5 + 59);
    }
    BYTE* first = nullptr;
    BYTE* second = nullptr;
    samples[0]->GetPointer(&first);
    samples[1]->GetPointer(&second);
    EXPECT_NE(first, second);
    for (IMediaSample* sample : samples) EXPECT_EQ(0u, sample->Release());
    EXPECT_EQ(S_OK, allocator->Decommit());
}

TEST_F(MemoryAllocator, GetBufferNeedsACommittedPool) {
    ASSERT_EQ(S_OK, Set(1, 8, 1, 0));
    IMediaSample* sample = reinterpret_cast<IMediaSample*>(1);
    EXPECT_EQ(VFW_E_NOT_COMMITTED, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
    EXPECT_EQ(nullptr, sample);
    EXPECT_EQ(E_POINTER, allocator->GetBuffer(nullptr, nullptr, nullptr, 0));
    ASSERT_EQ(S_OK, allocator->Commit());
    ASSERT_EQ(S_OK, allocator->Decommit());
    EXPECT_EQ(VFW_E_NOT_COMMITTED, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
}

TEST_F(MemoryAllocator, ABufferComesBackOnItsSamplesLastRelease) {
    ASSERT_EQ(S_OK, Set(1, 8, 1, 0));
    ASSERT_EQ(S_OK, allocator->Commit());
    IMediaSample* sample = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
    IMediaSample* none = nullptr;
    EXPECT_EQ(VFW_E_TIMEOUT, allocator->GetBuffer(&none, nullptr, nullptr, AM_GBF_NOWAIT));
    EXPECT_EQ(nullptr, none);

    EXPECT_EQ(2u, sample->AddRef());
    EXPECT_EQ(1u, sample->Release());
    EXPECT_EQ(VFW_E_TIMEOUT, allocator->GetBuffer(&none, nullptr, nullptr, AM_GBF_NOWAIT));
    IMediaSample* kept = sample;
    EXPECT_EQ(0u, sample->Release());

    ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, AM_GBF_NOWAIT));
    EXPECT_EQ(kept, sample);
    EXPECT_EQ(0u, sample->Release());
}

TEST_F(MemoryAllocator, ReleaseBufferTakesBackOnlyItsOwnReleasedSamples) {
    ASSERT_EQ(S_OK, Set(1, 8, 1, 0));
    ASSERT_EQ(S_OK, allocator->Commit());
    IMediaSample* sample = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
    EXPECT_EQ(E_POINTER, allocator->ReleaseBuffer(nullptr));
    // Still held: handing it back now would lend it out twice.
    EXPECT_EQ(E_INVALIDARG, allocator->ReleaseBuffer(sample));

    IMemAllocator* other = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                                     reinterpret_cast<void**>(&other)));
    EXPECT_EQ(E_INVALIDARG, other->ReleaseBuffer(sample));
    other->Release();

    EXPECT_EQ(0u, sample->Release());
    // Already back in the pool.
    EXPECT_EQ(E_INVALIDARG, allocator->ReleaseBuffer(sample));
    ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, AM_GBF_NOWAIT));
    sample->Release();
}

TEST_F(MemoryAllocator, ALentSampleKeepsItsAllocatorAlive) {
    ASSERT_EQ(S_OK, Set(1, 8, 1, 0));
    ASSERT_EQ(S_OK, allocator->Commit());
    IMediaSample* sample = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
    EXPECT_EQ(1u, allocator->Release());
    allocator = nullptr;
    BYTE* data = nullptr;
    ASSERT_EQ(S_OK, sample->GetPointer(&data));
    memset(data, 1, 8);
    // The last release of the sample releases the allocator too.
    EXPECT_EQ(0u, sample->Release());
}

TEST_F(MemoryAllocator, DecommitWithBuffersOutFreesThePoolWhenTheyComeBack) {
    ASSERT_EQ(S_OK, Set(2, 16, 1, 0));
    ASSERT_EQ(S_OK, allocator->Commit());
    IMediaSample* first = nullptr;
    IMediaSample* second = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&first, nullptr, nullptr, 0));
    ASSERT_EQ(S_OK, allocator->GetBuffer(&second, nullptr, nullptr, 0));
    ASSERT_EQ(S_OK, allocator->Decommit());

    // Samples out stay usable; the properties stay frozen until all are back.
    BYTE* data = nullptr;
    ASSERT_EQ(S_OK, first->GetPointer(&data));
    memset(data, 7, 16);
    EXPECT_EQ(VFW_E_BUFFERS_OUTSTANDING, Set(1, 8, 1, 0));
    IMediaSample* none = nullptr;
    EXPECT_EQ(VFW_E_NOT_COMMITTED, allocator->GetBuffer(&none, nullptr, nullptr, AM_GBF_NOWAIT));
    first->Release();
    EXPECT_EQ(VFW_E_BUFFERS_OUTSTANDING, Set(1, 8, 1, 0));
    second->Release();
    EXPECT_EQ(S_OK, Set(1, 8, 1, 0));
}

TEST_F(MemoryAllocator, CommitAgainBeforeTheBuffersReturnKeepsThePool) {
    ASSERT_EQ(S_OK, Set(2, 16, 1, 0));
    ASSERT_EQ(S_OK, allocator->Commit());
    IMediaSample* out = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&out, nullptr, nullptr, 0));
    ASSERT_EQ(S_OK, allocator->Decommit());
    ASSERT_EQ(S_OK, allocator->Commit());

    IMediaSample* other = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&other, nullptr, nullptr, AM_GBF_NOWAIT));
    EXPECT_NE(out, other);
    IMediaSample* none = nullptr;
    EXPECT_EQ(VFW_E_TIMEOUT, allocator->GetBuffer(&none, nullptr, nullptr, AM_GBF_NOWAIT));
    out->Release();
    ASSERT_EQ(S_OK, allocator->GetBuffer(&none, nullptr, nullptr, AM_GBF_NOWAIT));
    none->Release();
    other->Release();
    EXPECT_EQ(S_OK, allocator->Decommit());
}

// A GetBuffer on a second thread, whose outcome the test waits for.
class Borrower {
public:
    explicit Borrower(IMemAllocator* allocator)
        : thread_([this, allocator] {
              started_ = true;
              result_ = allocator->GetBuffer(&sample_, nullptr, nullptr, 0);
              done_ = true;
          }) {}
    ~Borrower() {
        thread_.join();
        if (sample_ != nullptr) sample_->Release();
    }
    Borrower(const Borrower&) = delete;
    Borrower& operator=(const Borrower&) = delete;

    // True once GetBuffer has returned, waiting at most the given time.
    bool Done(std::chrono::milliseconds wait) {
        const auto until = std::chrono::steady_clock::now() + wait;
        while (!done_ && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done_;
    }
    bool Started() { return started_; }
    HRESULT Result() const { return result_; }
    IMediaSample* Sample() const { return sample_; }

private:
    std::atomic<bool> started_{false};
    std::atomic<bool> done_{false};
    HRESULT result_ = E_FAIL;
    IMediaSample* sample_ = nullptr;
    std::thread thread_;
};

TEST_F(MemoryAllocator, GetBufferWaitsForTheNextReturnedBuffer) {
    ASSERT_EQ(S_OK, Set(1, 16, 1, 0));
    ASSERT_EQ(S_OK, allocator->Commit());
    IMediaSample* held = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&held, nullptr, nullptr, 0));
    BYTE* heldData = nullptr;
    held->GetPointer(&heldData);
    {
        Borrower borrower(allocator);
        EXPECT_FALSE(borrower.Done(std::chrono::milliseconds(100)));
        EXPECT_TRUE(borrower.Started());
        held->Release();
        ASSERT_TRUE(borrower.Done(std::chrono::seconds(10)));
        EXPECT_EQ(S_OK, borrower.Result());
        ASSERT_NE(nullptr, borrower.Sample());
        BYTE* data = nullptr;
        borrower.Sample()->GetPointer(&data);
        EXPECT_EQ(heldData, data);
    }
    EXPECT_EQ(S_OK, allocator->Decommit());
}

TEST_F(MemoryAllocator, DecommitWakesEveryWaitingGetBuffer) {
    ASSERT_EQ(S_OK, Set(1, 16, 1, 0));
    ASSERT_EQ(S_OK, allocator->Commit());
    IMediaSample* held = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&held, nullptr, nullptr, 0));
    {
        Borrower first(allocator);
        Borrower second(allocator);
        EXPECT_FALSE(first.Done(std::chrono::milliseconds(100)));
        EXPECT_FALSE(second.Done(std::chrono::milliseconds(1)));
        ASSERT_EQ(S_OK, allocator->Decommit());
        ASSERT_TRUE(first.Done(std::chrono::seconds(10)));
        ASSERT_TRUE(second.Done(std::chrono::seconds(10)));
        EXPECT_EQ(VFW_E_NOT_COMMITTED, first.Result());
        EXPECT_EQ(VFW_E_NOT_COMMITTED, second.Result());
        EXPECT_EQ(nullptr, first.Sample());
        EXPECT_EQ(nullptr, second.Sample());
    }
    held->Release();
}

TEST_F(MemoryAllocator, AWaiterFailsEvenWhenACommitFollowsTheDecommit) {
    ASSERT_EQ(S_OK, Set(1, 16, 1, 0));
    ASSERT_EQ(S_OK, allocator->Commit());
    IMediaSample* held = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&held, nullptr, nullptr, 0));
    {
        Borrower borrower(allocator);
        EXPECT_FALSE(borrower.Done(std::chrono::milliseconds(100)));
        ASSERT_EQ(S_OK, allocator->Decommit());
        ASSERT_EQ(S_OK, allocator->Commit());
        const bool woken = borrower.Done(std::chrono::seconds(10));
        // Had it slept through, the returned buffer ends its wait.
        held->Release();
        EXPECT_TRUE(woken);
        ASSERT_TRUE(borrower.Done(std::chrono::seconds(10)));
        EXPECT_EQ(VFW_E_NOT_COMMITTED, borrower.Result());
    }
    EXPECT_EQ(S_OK, allocator->Decommit());
}

TEST_F(MemoryAllocator, ManyThreadsShareAFewBuffersWithoutLosingOne) {
    ASSERT_EQ(S_OK, Set(2, 64, 16, 0));
    ASSERT_EQ(S_OK, allocator->Commit());
    std::atomic<int> failures{0};
    std::atomic<int> inUse{0};
    std::atomic<int> mostInUse{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                IMediaSample* sample = nullptr;
                if (allocator->GetBuffer(&sample, nullptr, nullptr, 0) != S_OK) {
                    ++failures;
                    continue;
                }
                const int now = ++inUse;
                int most = mostInUse.load();
                while (now > most && !mostInUse.compare_exchange_weak(most, now)) {
                }
                BYTE* data = nullptr;
                sample->GetPointer(&data);
                memset(data, t, 64);
                REFERENCE_TIME start = i;
                sample->SetTime(&start, nullptr);
                sample->SetDiscontinuity(TRUE);
                --inUse;
                sample->Release();
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(0, failures.load());
    EXPECT_LE(mostInUse.load(), 2);
    // Both buffers are back, free of what the last user set.
    IMediaSample* a = nullptr;
    IMediaSample* b = nullptr;
    ASSERT_EQ(S_OK, allocator->GetBuffer(&a, nullptr, nullptr, AM_GBF_NOWAIT));
    ASSERT_EQ(S_OK, allocator->GetBuffer(&b, nullptr, nullptr, AM_GBF_NOWAIT));
    EXPECT_EQ(S_FALSE, a->IsDiscontinuity());
    a->Release();
    b->Release();
    EXPECT_EQ(S_OK, allocator->Decommit());
}

}  // namespace
