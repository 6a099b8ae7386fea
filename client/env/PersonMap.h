#pragma once

#include "client/env/Person.h"
#include "platform/OrderedHashMap.h"

#include <memory>

// The stored persons by plain registration number (the number under which each was inserted). The map owns
// its persons; its iteration order is the order of the person file and of the pages' person lists.
using PersonMap = OrderedHashMap<std::unique_ptr<Person>>;
