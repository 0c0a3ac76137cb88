%PSIVALUE  Digamma.
