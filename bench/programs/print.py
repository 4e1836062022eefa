for _ in range(100000):
    print(1)
