// Builds Windows performance-data blocks byte by byte, laid out as the published
// structures describe, for tests of the reader and the sampler. It also records where
// each structure went, so a test can damage one field.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "metrics/windows/PerfDataWalk.h"

namespace corvane::test {

struct PerfInstance {
    std::u16string name;
    std::vector<std::int64_t> values;  // one per counter of the object, in definition order
};

struct PerfObject {
    std::uint32_t index;
    std::vector<std::uint32_t> counters;  // title indices of the counter definitions
    bool hasInstances = false;
    std::vector<std::int64_t> values;     // the counter block of an object without instances
    std::vector<PerfInstance> instances;  // used when hasInstances
};

struct PerfBlock {
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> objects;                 // offset of each PERF_OBJECT_TYPE
    std::vector<std::size_t> firstDefinitions;        // offset of each object's first definition
    std::vector<std::vector<std::size_t>> instances;  // offset of each PERF_INSTANCE_DEFINITION
    std::vector<std::size_t> counterBlocks;           // offset of each object's (first) counter block

    void Put32(std::size_t uOffset, std::uint32_t uValue) { std::memcpy(&bytes[uOffset], &uValue, 4); }
    std::uint32_t Get32(std::size_t uOffset) const {
        std::uint32_t u;
        std::memcpy(&u, &bytes[uOffset], 4);
        return u;
    }
};

class PerfBlockBuilder {
public:
    PerfBlockBuilder& PerfTime100nSec(std::int64_t llTime) {
        m_llPerfTime = llTime;
        return *this;
    }
    PerfBlockBuilder& Add(PerfObject object) {
        m_objects.push_back(std::move(object));
        return *this;
    }

    PerfBlock Build() const {
        using namespace corvane::perf::layout;
        PerfBlock block;
        std::vector<std::uint8_t>& b = block.bytes;
        b.assign(kBlockSize, 0);
        const char16_t aSignature[4] = {u'P', u'E', u'R', u'F'};
        std::memcpy(&b[0], aSignature, sizeof aSignature);
        Set32(b, 8, 1);  // LittleEndian
        Set32(b, kBlockHeaderLength, kBlockSize);
        Set32(b, kBlockNumObjectTypes, static_cast<std::uint32_t>(m_objects.size()));
        std::memcpy(&b[kBlockPerfTime100nSec], &m_llPerfTime, 8);

        for (const PerfObject& object : m_objects) {
            const std::size_t uObject = b.size();
            block.objects.push_back(uObject);
            b.resize(b.size() + kObjSize, 0);
            Set32(b, uObject + kObjHeaderLength, kObjSize);
            Set32(b, uObject + kObjNameTitleIndex, object.index);
            Set32(b, uObject + kObjNumCounters, static_cast<std::uint32_t>(object.counters.size()));
            Set32(b, uObject + kObjNumInstances,
                  object.hasInstances ? static_cast<std::uint32_t>(object.instances.size())
                                      : static_cast<std::uint32_t>(corvane::perf::kNoInstances));
            block.firstDefinitions.push_back(b.size());
            for (std::size_t i = 0; i < object.counters.size(); ++i) {
                const std::size_t uDef = b.size();
                b.resize(b.size() + kDefSize, 0);
                Set32(b, uDef + kDefByteLength, kDefSize);
                Set32(b, uDef + kDefNameTitleIndex, object.counters[i]);
                Set32(b, uDef + 28, 0x00010500);  // CounterType: any, the reader ignores it
                Set32(b, uDef + 32, 8);           // CounterSize
                Set32(b, uDef + kDefCounterOffset, CounterOffset(i));
            }
            Set32(b, uObject + kObjDefinitionLength, static_cast<std::uint32_t>(b.size() - uObject));
            block.instances.emplace_back();
            if (!object.hasInstances) {
                block.counterBlocks.push_back(b.size());
                AppendCounterBlock(b, object.counters.size(), object.values);
            } else {
                bool bFirst = true;
                for (const PerfInstance& instance : object.instances) {
                    const std::size_t uInst = b.size();
                    block.instances.back().push_back(uInst);
                    const std::size_t uNameBytes = (instance.name.size() + 1) * 2;
                    const std::size_t uLength = Align8(kInstSize + uNameBytes);
                    b.resize(b.size() + uLength, 0);
                    Set32(b, uInst + kInstByteLength, static_cast<std::uint32_t>(uLength));
                    Set32(b, uInst + kInstNameOffset, kInstSize);
                    Set32(b, uInst + 20, static_cast<std::uint32_t>(uNameBytes));  // NameLength
                    std::memcpy(&b[uInst + kInstSize], instance.name.c_str(), uNameBytes);
                    if (bFirst) block.counterBlocks.push_back(b.size());
                    bFirst = false;
                    AppendCounterBlock(b, object.counters.size(), instance.values);
                }
            }
            Set32(b, uObject + kObjTotalByteLength, static_cast<std::uint32_t>(b.size() - uObject));
        }
        Set32(b, 20, static_cast<std::uint32_t>(b.size()));  // TotalByteLength
        return block;
    }

    // Where counter i of a counter block lies: after the block's own 8-byte head.
    static std::uint32_t CounterOffset(std::size_t i) { return static_cast<std::uint32_t>(8 + 8 * i); }

private:
    static std::size_t Align8(std::size_t u) { return (u + 7) & ~static_cast<std::size_t>(7); }
    static void Set32(std::vector<std::uint8_t>& b, std::size_t uOffset, std::uint32_t uValue) {
        std::memcpy(&b[uOffset], &uValue, 4);
    }
    static void AppendCounterBlock(std::vector<std::uint8_t>& b, std::size_t uCounters,
                                   const std::vector<std::int64_t>& values) {
        const std::size_t uStart = b.size();
        const std::size_t uLength = 8 + 8 * uCounters;
        b.resize(b.size() + uLength, 0);
        Set32(b, uStart, static_cast<std::uint32_t>(uLength));
        for (std::size_t i = 0; i < values.size() && i < uCounters; ++i) {
            std::memcpy(&b[uStart + CounterOffset(i)], &values[i], 8);
        }
    }

    std::int64_t m_llPerfTime = 0;
    std::vector<PerfObject> m_objects;
};

}  // namespace corvane::test
