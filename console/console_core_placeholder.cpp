// Replaced by the console core sources.
