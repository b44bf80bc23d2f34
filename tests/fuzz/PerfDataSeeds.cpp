// Writes the seed corpus of the performance-data fuzz target: valid blocks built by the
// tests' block builder, each behind a request that finds something in it.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/fakes/PerfBlockBuilder.h"

namespace {

using corvane::test::PerfBlockBuilder;
using corvane::test::PerfInstance;
using corvane::test::PerfObject;

void Write(const std::string& dir, const char* name, std::uint32_t uObject, std::uint32_t uCounter,
           std::uint8_t uNameChoice, const std::vector<std::uint8_t>& block) {
    FILE* pFile = std::fopen((dir + "/" + name).c_str(), "wb");
    if (pFile == nullptr) return;
    std::fwrite(&uObject, 4, 1, pFile);
    std::fwrite(&uCounter, 4, 1, pFile);
    std::fwrite(&uNameChoice, 1, 1, pFile);
    std::fwrite(block.data(), 1, block.size(), pFile);
    std::fclose(pFile);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string dir = argv[1];
    // The Processor object (238) with instances, the _Total one in other letter cases too.
    Write(dir, "with_instances", 238, 6, 0,
          PerfBlockBuilder()
              .PerfTime100nSec(1000000)
              .Add(PerfObject{238, {6, 12}, true, {}, {PerfInstance{u"0", {5, 1}}, PerfInstance{u"_Total", {9, 2}}}})
              .Build()
              .bytes);
    Write(dir, "total_other_case", 238, 6, 1,
          PerfBlockBuilder()
              .Add(PerfObject{238, {6}, true, {}, {PerfInstance{u"_TOTAL", {7}}, PerfInstance{u"_total", {8}}}})
              .Build()
              .bytes);
    // The System object (2) without instances.
    Write(dir, "without_instances", 2, 240, 3,
          PerfBlockBuilder().PerfTime100nSec(77).Add(PerfObject{2, {240, 10}, false, {4242, 1}, {}}).Build().bytes);
    Write(dir, "both_objects", 238, 6, 0,
          PerfBlockBuilder()
              .Add(PerfObject{2, {240}, false, {1}, {}})
              .Add(PerfObject{238, {6}, true, {}, {PerfInstance{u"_Total", {3}}}})
              .Build()
              .bytes);
    return 0;
}
