import turtle
turtle.tracer(0)
t = turtle.Turtle()
t.hideturtle()
for _ in range(200000):
    t.forward(1)
    t.right(1)
turtle.update()
