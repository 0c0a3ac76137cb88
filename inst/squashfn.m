%SQUASHFN  tanh.
