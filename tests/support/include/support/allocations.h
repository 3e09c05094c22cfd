#pragma once

// Counts the heap allocations made through operator new between Start and Stop,
// on any thread. Using it links in the counting operator new.
namespace aspect::testing_support {

void StartCountingAllocations();
// The allocations since Start.
long StopCountingAllocations();

}  // namespace aspect::testing_support
