#pragma once

// Starts the ENet library once for the process (and ends it at exit); false
// when it could not start.
bool enetReady();
