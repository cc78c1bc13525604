// Placeholder until the first library sources land.
