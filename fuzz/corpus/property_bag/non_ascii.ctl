FileName="José € �"
