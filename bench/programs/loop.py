s = 0
for _ in range(1000000):
    s += 1
print(s)
