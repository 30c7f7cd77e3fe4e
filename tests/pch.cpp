// The object that carries the precompiled GoogleTest header of the test programs.
