#pragma once

// The module is built with every symbol hidden; what the host calls or reads is marked with this.
#define NGC27451_EXPORT __attribute__((visibility("default")))
