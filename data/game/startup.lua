-- Run once when the game starts.
print("Rumbo Town demo data, version 1")
