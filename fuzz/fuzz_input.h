// A harness's input read as a program of small values. Once the bytes run
// out every value reads as 0, so any input is a whole program.
#ifndef DRAVIK_FUZZ_FUZZ_INPUT_H
#define DRAVIK_FUZZ_FUZZ_INPUT_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return size_ == 0; }

    uint8_t Byte() {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }

    // A value of the type's width, little-endian, zero-filled past the end.
    template <typename Value>
    Value Raw() {
        uint8_t bytes[sizeof(Value)] = {};
        for (uint8_t& byte : bytes) byte = Byte();
        Value value;
        memcpy(&value, bytes, sizeof value);
        return value;
    }

    // One of count choices (count > 0).
    size_t Pick(size_t count) { return Byte() % count; }
    bool Flag() { return (Byte() & 1) != 0; }

    // Up to limit bytes, as many as the input asks for and still holds.
    std::vector<uint8_t> Bytes(size_t limit) {
        size_t count = Raw<uint16_t>() % (limit + 1);
        if (count > size_) count = size_;
        std::vector<uint8_t> bytes(data_, data_ + count);
        data_ += count;
        size_ -= count;
        return bytes;
    }

    // A signed 32-bit quantity: mostly small, sometimes at or near the ends of the range.
    int32_t Quantity(int32_t smallLimit) {
        switch (Pick(8)) {
            case 0:
                return Raw<int32_t>();
            case 1:
                return INT32_MAX - static_cast<int32_t>(Pick(4));
            case 2:
                return INT32_MIN + static_cast<int32_t>(Pick(4));
            case 3:
                return -static_cast<int32_t>(Raw<uint16_t>() % (smallLimit + 1));
            default:
                return static_cast<int32_t>(Raw<uint16_t>() % (smallLimit + 1));
        }
    }

private:
    const uint8_t* data_;
    size_t size_;
};

#endif
